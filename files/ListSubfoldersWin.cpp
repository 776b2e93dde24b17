// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/ListSubfolders.h"
#include "platform/DirectoryEntries.h"
#include "platform/SystemErrorText.h"

namespace sumbrook {

SubfolderList ListSubfolders(const std::string& directory, bool hiddenToo) {
    SubfolderList list;
    DirectoryEntries read = ReadDirectoryEntries(directory);
    if (!read.ok) {
        list.error = SystemErrorText(read.errorCode);
        return list;
    }
    const std::string prefix =
        !directory.empty() && (directory.back() == '\\' || directory.back() == '/')
            ? directory
            : directory + "\\";
    const DWORD notEntered =
        FILE_ATTRIBUTE_REPARSE_POINT |
        (hiddenToo ? 0 : static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    for (DirectoryEntry& entry : read.entries) {
        if ((entry.attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
        if ((entry.attributes & notEntered) != 0) continue;
        std::string path = prefix + entry.name;
        list.folders.push_back({std::move(entry.name), std::move(path)});
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
#endif
