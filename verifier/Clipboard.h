// Text put on the clipboard. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace sumbrook {

// Replaces what the clipboard holds with `text` (CF_UNICODETEXT); false when
// the clipboard or the memory could not be had. `owner` is the window that
// opens the clipboard.
bool PutTextOnClipboard(HWND owner, const std::wstring& text);

}  // namespace sumbrook
