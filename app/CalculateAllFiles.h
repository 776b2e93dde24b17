// The all-files Calculation command and its protocol file.
#pragma once

#include <windows.h>

#include <string>

namespace sumbrook {

// Checks the directory text (it must name something a search can find that
// is neither hidden nor system), checksums every plain file directly in it,
// writes the protocol "#CRC32codes.txt" into `tempDirectory` (which ends with
// a backslash, or is empty for the current directory) and asks the shell to
// open it, with `dialog` as owner window. Every end other than success shows
// its message: wrong directory, no file in the directory, protocol that
// cannot be written (the shell is then not asked), shell that cannot open it.
// Returns true only when the run ended at the no-file message.
bool CalculateAllFiles(HWND dialog, const std::string& directoryText,
                       const std::string& tempDirectory);

}  // namespace sumbrook
