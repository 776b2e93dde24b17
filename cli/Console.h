// The little the program needs to know about its standard streams.
#pragma once

#include <cstdio>
#include <string_view>

namespace sumbrook {

bool IsTerminal(std::FILE* stream);

// Bytes written to `stream` go out unchanged: no LF is turned into CR LF
// (Windows build; elsewhere that never happens anyway).
void UseBinaryMode(std::FILE* stream);

// Writes the UTF-8 `text` to `stream`: on a Windows console as UTF-16
// through WriteConsoleW, so that every name shows as it is; anywhere else (a
// file, a pipe, a POSIX terminal) as the bytes themselves. False when the
// text could not be written.
bool WriteText(std::FILE* stream, std::string_view text);

}  // namespace sumbrook
