// Text put on and read from the clipboard. Windows only.
#pragma once

#include <cstddef>
#include <string>

namespace sumbrook {

// Replaces what the clipboard holds with `text` (CF_UNICODETEXT); false when
// the clipboard or the memory could not be had. Callable from any thread:
// the clipboard is opened by a message-only window made for the while, so
// that a worker can hand over a long text without the window's thread.
bool PutTextOnClipboard(const std::wstring& text);

// The clipboard's text (CF_UNICODETEXT), at most `most` characters of it;
// "" when it holds none or cannot be opened. `whole`, when given, tells
// whether that is all it holds.
std::wstring TextOnClipboard(std::size_t most = static_cast<std::size_t>(-1),
                             bool* whole = nullptr);

}  // namespace sumbrook
