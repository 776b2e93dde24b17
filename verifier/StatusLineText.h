// The status line under the list. Before files are read, the step and how
// far it got: "Reading the list: 420,000 lines", "Listing folders: 12,000
// files", "Planning: 300,000 rows". Then
//   "1,204 of 5,000 files · 3 CHANGED · 1 MISSING · 2 NEW · 0 UNREADABLE"
// ("no file to read" when the plan reads none), while reading
// " · 85.2 MB/s · 0:42 left" where they are known, and at the end what
// became of the run (" · done", " · cancelled"); " · Cancelling..." from the
// click to the run's end; the notices of the run counted (" · 1 notice").
// Before any run, how to start one. Once the kind of the run's digests is
// known, the line starts with it: "SHA-256 list · 1,204 of 5,000 files ...".
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "hash/Digest.h"

#include "verify/CheckSink.h"

namespace sumbrook {

struct StatusLineFacts {
    enum class Phase { kIdle, kStep, kRunning, kDone, kCancelled, kRefused };
    Phase phase = Phase::kRunning;
    bool cancelling = false;
    CheckStep step = CheckStep::kReadingList;  // kStep
    std::size_t stepDone = 0;
    std::size_t filesDone = 0;
    std::size_t filesPlanned = 0;
    StatusCounts counts;
    double bytesPerSecond = -1.0;  // negative: not known (yet)
    double secondsLeft = -1.0;     // negative: not known
    // "New list...": no file is changed, missing or new, so only the files
    // that could not be listed or read are counted.
    bool makingList = false;
    std::size_t notices = 0;  // the run's notices, shown apart
    // The kind of the run's digests, when known: named first ("SHA-256
    // list · ...").
    std::optional<DigestKind> digestKind;
};

// UTF-8 ("·" is U+00B7). CHANGED, MISSING, NEW and UNREADABLE are always
// counted (only UNREADABLE when making a list); DIFFERENT, DUPLICATE,
// AMBIGUOUS and EMPTY when there are any.
std::string StatusLineText(const StatusLineFacts& facts);

}  // namespace sumbrook
