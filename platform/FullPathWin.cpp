#include <windows.h>

#include "platform/FullPath.h"
#include "platform/WideText.h"

namespace sumbrook {

std::string FullPathOf(const std::string& path) {
    const std::wstring wide = WideFromUtf8(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return path;
    full.resize(length);
    // "C:\Data\" is named "C:\Data", as the dialog names it; "C:\" stays.
    if (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return Utf8FromWide(full);
}

}  // namespace sumbrook
