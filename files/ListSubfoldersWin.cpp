// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/EntryName.h"
#include "files/ListSubfolders.h"
#include "platform/ErrorModeGuard.h"
#include "platform/SystemErrorText.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

constexpr DWORD kNotEntered =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_REPARSE_POINT;

bool IsEntered(const WIN32_FIND_DATAA& data) {
    const std::string name = data.cFileName;
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (data.dwFileAttributes & kNotEntered) == 0 && name != "." && name != "..";
}

// The name that opens the entry: the long one unless the code page lost
// characters of it.
std::string OpeningName(const WIN32_FIND_DATAA& data) {
    if (!CanBeStoredName(data.cFileName) && data.cAlternateFileName[0] != '\0') {
        return data.cAlternateFileName;
    }
    return data.cFileName;
}

}  // namespace

SubfolderList ListSubfolders(const std::string& directory) {
    SubfolderList list;
    const std::string prefix =
        !directory.empty() && (directory.back() == '\\' || directory.back() == '/')
            ? directory
            : directory + "\\";
    ErrorModeGuard guard(FsRedirection::kOff);
    WIN32_FIND_DATAA data = {};
    const ScopedFindHandle find(FindFirstFileA((prefix + "*").c_str(), &data));
    if (!find.IsValid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            list.ok = true;
            return list;
        }
        list.error = SystemErrorText(error);
        return list;
    }
    do {
        if (!IsEntered(data)) continue;
        std::string name = OpeningName(data);
        std::string path = prefix + name;
        list.folders.push_back({std::move(name), std::move(path)});
    } while (FindNextFileA(find.Get(), &data) != FALSE);
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) {
        list.error = SystemErrorText(error);
        list.folders.clear();
        return list;
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
#endif
