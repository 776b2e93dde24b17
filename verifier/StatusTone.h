// How the window marks a row's status besides its word: OK in green, a file
// that differs or cannot be read in red, a file that is missing, new, named
// twice or not told apart in amber. The word is always shown too, so the
// list reads the same without colour.
#pragma once

#include "verify/CheckRow.h"

namespace sumbrook {

enum class StatusTone { kGood, kBad, kWarning, kPlain };

inline StatusTone ToneOf(VerifyStatus status) {
    switch (status) {
        case VerifyStatus::kOk:
            return StatusTone::kGood;
        case VerifyStatus::kChanged:
        case VerifyStatus::kDifferent:
        case VerifyStatus::kUnreadable:
            return StatusTone::kBad;
        case VerifyStatus::kMissing:
        case VerifyStatus::kNew:
        case VerifyStatus::kDuplicate:
        case VerifyStatus::kAmbiguous:
            return StatusTone::kWarning;
        case VerifyStatus::kEmpty:
            break;
    }
    return StatusTone::kPlain;
}

// Every row that is not OK is a problem: "Problems first" puts these on top,
// the problems filter shows only these, "Check failed again" reads these.
inline bool IsProblem(VerifyStatus status) {
    return status != VerifyStatus::kOk;
}

}  // namespace sumbrook
