// The little the program needs to know about its standard streams.
#pragma once

#include <cstdio>
#include <string_view>

namespace sumbrook {

// Whether `stream` shows its text to a person: a POSIX terminal, or a
// Windows console. A character device that is no console (NUL, a serial
// port) is written as a file is. Callers ask once per stream: on Windows it
// costs a call to the system (under Wine, a round trip to its server).
bool IsTerminal(std::FILE* stream);

// Bytes written to `stream` go out unchanged: no LF is turned into CR LF
// (Windows build; elsewhere that never happens anyway).
void UseBinaryMode(std::FILE* stream);

// Writes the UTF-8 `text` to `stream`, which IsTerminal found to be a
// terminal when `terminal`: on a Windows console as UTF-16 through
// WriteConsoleW, so that every name shows as it is; anywhere else (a file, a
// pipe, a device, a POSIX terminal) as the bytes themselves. False when the
// text could not be written.
bool WriteText(std::FILE* stream, std::string_view text, bool terminal);

}  // namespace sumbrook
