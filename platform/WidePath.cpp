#include "platform/WidePath.h"

#include <windows.h>

#include "platform/ExtendedLengthPath.h"
#include "platform/WideText.h"

namespace sumbrook {

std::wstring WidePath(const std::string& path) {
    std::wstring wide = WideFromUtf8(path);
    if (wide.empty() || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return wide;
    full.resize(length);
    return ExtendedLengthPath(std::move(full));
}

}  // namespace sumbrook
