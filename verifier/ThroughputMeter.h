// Speed and time left of a run, from the bytes done at the times the window
// learns them: the speed over the last few seconds, so that a slow start or
// a cached stretch does not skew it for long; the time left at the speed
// since the first sample, and only once that has lasted a few seconds and
// moved a part of the bytes, so that it is never a guess from a moment.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>

namespace sumbrook {

class ThroughputMeter {
  public:
    void Reset();
    // `milliseconds` from any fixed start, never decreasing.
    void Sample(std::uint64_t milliseconds, std::uint64_t bytesDone);

    // Bytes per second, or a negative value while there is too little to say.
    double BytesPerSecond() const;
    // Seconds until `totalBytes` are done at the speed since the first
    // sample, or negative while that has lasted less than 5 s or done less
    // than 1% of `totalBytes`, and when nothing moved.
    double SecondsLeft(std::uint64_t totalBytes) const;

  private:
    bool started_ = false;
    std::pair<std::uint64_t, std::uint64_t> first_;                // time, bytes
    std::deque<std::pair<std::uint64_t, std::uint64_t>> samples_;  // time, bytes
};

// "12.3 MB/s" (1 MB = 1,000,000 bytes).
std::string SpeedText(double bytesPerSecond);
// "0:42", "12:05", "1:02:03".
std::string DurationText(double seconds);

}  // namespace sumbrook
