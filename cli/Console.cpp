#include "cli/Console.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "platform/WideText.h"
#else
#include <unistd.h>
#endif

namespace sumbrook {

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != FALSE;
#else
    return isatty(fileno(stream)) != 0;
#endif
}

void UseBinaryMode(std::FILE* stream) {
#ifdef _WIN32
    std::fflush(stream);
    _setmode(_fileno(stream), _O_BINARY);
#else
    (void)stream;
#endif
}

bool WriteText(std::FILE* stream, std::string_view text, bool terminal) {
#ifdef _WIN32
    if (terminal) {
        std::fflush(stream);
        const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
        const std::wstring wide = WideFromUtf8(text);
        DWORD written = 0;
        return wide.empty() || (WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()),
                                              &written, nullptr) != FALSE &&
                                written == wide.size());
    }
#else
    (void)terminal;
#endif
    return std::fwrite(text.data(), 1, text.size(), stream) == text.size();
}

}  // namespace sumbrook
