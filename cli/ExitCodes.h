// The exit codes of sumbrook-cli.
#pragma once

namespace sumbrook {

inline constexpr int kExitOk = 0;           // everything verified or computed
inline constexpr int kExitDifferences = 1;  // changed, missing, new or ambiguous files
inline constexpr int kExitError = 2;        // unreadable files, bad arguments or protocol

}  // namespace sumbrook
