// The main dialog's in-memory DLGTEMPLATE: style, position, size, title and
// font of the window, and no items (the controls are added once the window
// exists). The program carries no resources; this is its only template.
#pragma once

#include <windows.h>

#include <vector>

namespace sumbrook {

// The template as 16-bit words; data() is suitably aligned for
// CreateDialogIndirectParamA. Texts are converted from the ANSI code page.
std::vector<WORD> BuildMainDialogTemplate();

}  // namespace sumbrook
