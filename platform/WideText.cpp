#include "platform/WideText.h"

#include <windows.h>

namespace sumbrook {

namespace {

std::wstring ToWide(UINT codePage, std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
    return ToWide(CP_UTF8, text);
}

std::wstring WideFromAnsi(std::string_view text) {
    return ToWide(CP_ACP, text);
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    if (length > 0) {
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    }
    return utf8;
}

bool AnsiFromWide(std::wstring_view text, std::string& ansi) {
    ansi.clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr,
                                           0, nullptr, &lossy);
    if (length <= 0 || lossy) return false;
    ansi.assign(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, ansi.data(), length,
                        nullptr, &lossy);
    return lossy == FALSE;
}

}  // namespace sumbrook
