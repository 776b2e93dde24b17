#include "verifier/ThroughputMeter.h"

#include <cmath>
#include <cstdio>

namespace sumbrook {

namespace {

constexpr std::uint64_t kWindowMs = 3000;
constexpr std::uint64_t kLeastSpanMs = 300;
constexpr std::uint64_t kLeastEstimateMs = 5000;

}  // namespace

void ThroughputMeter::Reset() {
    samples_.clear();
    started_ = false;
}

void ThroughputMeter::Sample(std::uint64_t milliseconds, std::uint64_t bytesDone) {
    if (!started_) {
        started_ = true;
        first_ = {milliseconds, bytesDone};
    }
    samples_.emplace_back(milliseconds, bytesDone);
    // Keep one sample older than the window, so the span covers it whole.
    while (samples_.size() > 2 && milliseconds - samples_[1].first >= kWindowMs) {
        samples_.pop_front();
    }
}

double ThroughputMeter::BytesPerSecond() const {
    if (samples_.size() < 2) return -1.0;
    const auto& [firstMs, firstBytes] = samples_.front();
    const auto& [lastMs, lastBytes] = samples_.back();
    if (lastMs - firstMs < kLeastSpanMs || lastBytes < firstBytes) return -1.0;
    return static_cast<double>(lastBytes - firstBytes) * 1000.0 /
           static_cast<double>(lastMs - firstMs);
}

double ThroughputMeter::SecondsLeft(std::uint64_t totalBytes) const {
    if (samples_.empty()) return -1.0;
    const auto& [lastMs, done] = samples_.back();
    const std::uint64_t span = lastMs - first_.first;
    if (span < kLeastEstimateMs || done <= first_.second || done < totalBytes / 100) return -1.0;
    if (done >= totalBytes) return 0.0;
    const double speed =
        static_cast<double>(done - first_.second) * 1000.0 / static_cast<double>(span);
    return static_cast<double>(totalBytes - done) / speed;
}

std::string SpeedText(double bytesPerSecond) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MB/s", bytesPerSecond / 1e6);
    return text;
}

std::string DurationText(double seconds) {
    const auto whole = static_cast<unsigned long long>(std::ceil(seconds < 0.0 ? 0.0 : seconds));
    char text[32];
    if (whole >= 3600) {
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", whole / 3600, whole / 60 % 60,
                      whole % 60);
    } else {
        std::snprintf(text, sizeof text, "%llu:%02llu", whole / 60, whole % 60);
    }
    return text;
}

}  // namespace sumbrook
