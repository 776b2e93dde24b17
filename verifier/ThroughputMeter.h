// Speed and time left of a run, from the bytes done at the times the window
// learns them: the speed over the last few seconds, so that a slow start or
// a cached stretch does not skew it for long.
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
    // Seconds until `totalBytes` are done at the present speed, or negative
    // when unknown.
    double SecondsLeft(std::uint64_t totalBytes) const;

  private:
    std::deque<std::pair<std::uint64_t, std::uint64_t>> samples_;  // time, bytes
};

// "12.3 MB/s" (1 MB = 1,000,000 bytes).
std::string SpeedText(double bytesPerSecond);
// "0:42", "12:05", "1:02:03".
std::string DurationText(double seconds);

}  // namespace sumbrook
