#include "cli/Progress.h"

#include <string>

namespace sumbrook {

namespace {

constexpr auto kQuietStart = std::chrono::seconds(1);
constexpr auto kRedrawInterval = std::chrono::milliseconds(200);

}  // namespace

Progress::Progress(std::FILE* stream, bool enabled, std::size_t totalFiles)
    : stream_(stream),
      enabled_(enabled),
      totalFiles_(totalFiles),
      start_(Clock::now()),
      lastDrawn_(start_) {}

void Progress::FileDone(std::uint64_t bytes) {
    ++filesDone_;
    bytesDone_ += bytes;
    Tick();
}

void Progress::Set(std::size_t filesDone, std::uint64_t bytesDone) {
    filesDone_ = filesDone;
    bytesDone_ = bytesDone;
    Tick();
}

void Progress::Tick() {
    if (!enabled_) return;
    const Clock::time_point now = Clock::now();
    if (now - start_ < kQuietStart) return;
    if (drawnLength_ > 0 && now - lastDrawn_ < kRedrawInterval) return;
    lastDrawn_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    char text[128];
    const int length = std::snprintf(text, sizeof text, "%zu/%zu files, %.1f MB/s", filesDone_,
                                     totalFiles_, static_cast<double>(bytesDone_) / seconds / 1e6);
    if (length <= 0 || static_cast<std::size_t>(length) >= sizeof text) return;
    std::string line = "\r" + std::string(text, static_cast<std::size_t>(length));
    // Blanks over what is left of a longer line before.
    if (line.size() - 1 < drawnLength_) line.append(drawnLength_ - (line.size() - 1), ' ');
    drawnLength_ = line.size() - 1;
    std::fputs(line.c_str(), stream_);
    std::fflush(stream_);
}

void Progress::Erase() {
    if (drawnLength_ == 0) return;
    std::fputs(("\r" + std::string(drawnLength_, ' ') + "\r").c_str(), stream_);
    std::fflush(stream_);
    drawnLength_ = 0;
}

}  // namespace sumbrook
