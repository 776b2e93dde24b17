// The user's temporary directory, filled once when the main dialog starts
// (ending with a backslash) and read by the protocol file and the help text.
// All zero until then; its text runs to the first NUL byte.
#pragma once

#include <cstddef>

namespace sumbrook {

// MAX_PATH + 1: room for any temporary path that GetTempPathA can return.
inline constexpr std::size_t kTempDirectorySize = 260 + 1;

extern char TempDirectory[kTempDirectorySize];

}  // namespace sumbrook
