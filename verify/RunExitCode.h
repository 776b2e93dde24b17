// The exit code of a run, the same for sumbrook-cli and SumbrookVerify.exe:
// 0 everything verified or computed, 1 something differs, 2 an error, 3
// cancelled (only the window can be cancelled).
#pragma once

#include "verify/CheckSink.h"

namespace sumbrook {

inline constexpr int kExitOk = 0;           // everything verified or computed
inline constexpr int kExitDifferences = 1;  // changed, missing, new, ambiguous, ... files
inline constexpr int kExitError = 2;        // unreadable files or folders, a refused run
inline constexpr int kExitCancelled = 3;

// The code of rows counted in `counts`: kExitError when a file could not be
// read, else kExitDifferences when something differs (changed, missing, new,
// ambiguous, duplicate, different; an EMPTY file is no difference), else
// kExitOk.
int ExitCodeOf(const StatusCounts& counts);

// The code of a run: cancelled wins over everything, a refusal or a folder
// that could not be listed over its rows' code.
int ExitCodeOf(const CheckOutcome& outcome);

}  // namespace sumbrook
