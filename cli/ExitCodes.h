// The exit codes of sumbrook-cli.
#pragma once

#include "verify/CheckRow.h"

namespace sumbrook {

inline constexpr int kExitOk = 0;           // everything verified or computed
inline constexpr int kExitDifferences = 1;  // changed, missing, new or ambiguous files
inline constexpr int kExitError = 2;        // unreadable files, bad arguments or protocol

// The code of a check whose rows were counted in `counts`: kExitError when a
// file could not be read, else kExitDifferences when something differs
// (changed, missing, new, ambiguous, duplicate, different), else kExitOk.
inline int ExitCodeOf(const StatusCounts& counts) {
    if (counts.Count(VerifyStatus::kUnreadable) > 0) return kExitError;
    return counts.AnyDifference() ? kExitDifferences : kExitOk;
}

}  // namespace sumbrook
