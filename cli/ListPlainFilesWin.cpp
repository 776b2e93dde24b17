// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "cli/ListPlainFiles.h"
#include "cli/SystemErrorText.h"
#include "crc/EntryName.h"
#include "platform/DirectorySearch.h"
#include "platform/ErrorModeGuard.h"

namespace sumbrook {

namespace {

// Empty when `directory` names a directory, else why not.
std::string DirectoryFault(const std::string& directory) {
    if (directory.empty()) return "no directory given";
    ErrorModeGuard guard(FsRedirection::kOff);
    const DWORD attributes = GetFileAttributesA(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemErrorText(GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return "not a directory";
    return {};
}

}  // namespace

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name[0] == '.';
}

PlainFileList ListPlainFiles(const std::string& directory) {
    PlainFileList list;
    list.error = DirectoryFault(directory);
    if (!list.error.empty()) return list;
    DirectorySearch search;
    for (std::string name = search.Start(directory + "\\*.*", false); !name.empty();
         name = search.Continue()) {
        const std::string& shortName = search.AlternateName();
        PlainFile file;
        file.path = directory + "\\" + name;
        if (!shortName.empty() && shortName != name) {
            file.alternatePath = directory + "\\" + shortName;
            // A long name that the code page cannot represent names nothing.
            if (!CanBeStoredName(name)) std::swap(file.path, file.alternatePath);
        }
        file.name = std::move(name);
        list.files.push_back(std::move(file));
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
#endif
