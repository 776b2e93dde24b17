// The names Windows gives its devices, which open a device wherever they
// stand in a path, whatever the folder.
#pragma once

#include <string_view>

namespace sumbrook {

// True when the UTF-8 path component `component` names a device on Windows:
// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-COM9, LPT1-LPT9 and COM or LPT
// with a superscript 1, 2 or 3; any case, with or without an extension,
// blanks before the extension ignored, as Windows matches them.
bool IsWindowsDeviceName(std::string_view component);

}  // namespace sumbrook
