// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "platform/SystemErrorText.h"

namespace sumbrook {

std::string SystemErrorText(unsigned long code) {
    char text[512] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, text, static_cast<DWORD>(sizeof text), nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == ' ' || text[length - 1] == '.')) {
        --length;
    }
    if (length == 0) return "error " + std::to_string(code);
    return std::string(text, length);
}

}  // namespace sumbrook
#endif
