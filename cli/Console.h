// The little the program needs to know about its standard streams.
#pragma once

#include <cstdio>

namespace sumbrook {

bool IsTerminal(std::FILE* stream);

// Bytes written to `stream` go out unchanged: no LF is turned into CR LF
// (Windows build; elsewhere that never happens anyway).
void UseBinaryMode(std::FILE* stream);

}  // namespace sumbrook
