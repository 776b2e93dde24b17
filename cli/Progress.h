// The progress line on standard error: files done of all, and bytes per
// second. It shows only on a terminal and only once a run has lasted a
// second; it is rewritten in place and erased at the end.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace sumbrook {

class Progress {
  public:
    // `enabled` false: nothing is ever written.
    Progress(std::FILE* stream, bool enabled, std::size_t totalFiles);
    ~Progress() { Erase(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    void SetTotal(std::size_t totalFiles) { totalFiles_ = totalFiles; }
    // One more file done, of `bytes` bytes; redraws when it is time.
    void FileDone(std::uint64_t bytes);
    // So many files done and bytes read in all; redraws when it is time.
    void Set(std::size_t filesDone, std::uint64_t bytesDone);
    // Redraws when it is time.
    void Tick();
    // Takes the line away, so that other output can go to the terminal; the
    // next redraw brings it back.
    void Erase();

  private:
    using Clock = std::chrono::steady_clock;

    std::FILE* stream_;
    bool enabled_;
    std::size_t totalFiles_;
    std::size_t filesDone_ = 0;
    std::uint64_t bytesDone_ = 0;
    Clock::time_point start_;
    Clock::time_point lastDrawn_;
    std::size_t drawnLength_ = 0;
};

}  // namespace sumbrook
