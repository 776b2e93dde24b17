// The status line under the list:
//   "1,204 of 5,000 files · 3 CHANGED · 1 MISSING · 2 NEW · 0 UNREADABLE"
// then, while reading, " · 85.2 MB/s · 0:42 left", and at the end what became
// of the run (" · done", " · cancelled").
#pragma once

#include <cstddef>
#include <string>

#include "verify/CheckRow.h"

namespace sumbrook {

struct StatusLineFacts {
    enum class Phase { kRunning, kDone, kCancelled, kRefused };
    Phase phase = Phase::kRunning;
    std::size_t filesDone = 0;
    std::size_t filesPlanned = 0;
    StatusCounts counts;
    double bytesPerSecond = -1.0;  // negative: not known (yet)
    double secondsLeft = -1.0;     // negative: not known
    // "New list...": no file is changed, missing or new, so only the files
    // that could not be listed or read are counted.
    bool makingList = false;
};

// UTF-8 ("·" is U+00B7). CHANGED, MISSING, NEW and UNREADABLE are always
// counted (only UNREADABLE when making a list); DIFFERENT, DUPLICATE,
// AMBIGUOUS and EMPTY when there are any.
std::string StatusLineText(const StatusLineFacts& facts);

}  // namespace sumbrook
