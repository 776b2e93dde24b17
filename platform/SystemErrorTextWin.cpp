// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "platform/SystemErrorText.h"
#include "platform/WideText.h"

namespace sumbrook {

std::string SystemErrorText(unsigned long code) {
    wchar_t text[512] = {};
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, 512, nullptr);
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L' ' || text[length - 1] == L'.')) {
        --length;
    }
    if (length == 0) return "error " + std::to_string(code);
    return Utf8FromWide(std::wstring_view(text, length));
}

}  // namespace sumbrook
#endif
