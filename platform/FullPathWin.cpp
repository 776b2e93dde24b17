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
    // The extended-length form is the program's own business: the path is
    // named as typed without it ("\\?\C:\Data" as "C:\Data", "\\?\UNC\s\x" as
    // "\\s\x").
    if (full.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        full.erase(2, 6);
    } else if (full.rfind(L"\\\\?\\", 0) == 0 && full.size() >= 6 && full[5] == L':') {
        full.erase(0, 4);
    }
    // "C:\Data\" is named "C:\Data", as the dialog names it; "C:\" stays.
    if (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return Utf8FromWide(full);
}

}  // namespace sumbrook
