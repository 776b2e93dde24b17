// The exit code of SumbrookVerify.exe: that of its last check.
#pragma once

#include "verify/CheckSink.h"

namespace sumbrook {

inline constexpr int kVerifierExitOk = 0;           // all OK, or nothing checked
inline constexpr int kVerifierExitDifferences = 1;  // changed, missing, new, ...
inline constexpr int kVerifierExitError = 2;        // a refused list, an unreadable file or folder
inline constexpr int kVerifierExitCancelled = 3;

// Cancelled wins over everything, a refusal or an unreadable file or folder
// over differences; EMPTY files (unlisted and empty) are not differences.
int ExitCodeOfRun(const CheckOutcome& outcome);

}  // namespace sumbrook
