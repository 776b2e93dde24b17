// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/FileEntryCrc32.h"
#include "files/ListPlainFiles.h"
#include "platform/DirectorySearch.h"
#include "platform/ErrorModeGuard.h"
#include "platform/SystemErrorText.h"

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

PlainFileList ListPlainFiles(const std::string& directory) {
    PlainFileList list;
    list.error = DirectoryFault(directory);
    if (!list.error.empty()) return list;
    DirectorySearch search;
    for (std::string name = search.Start(directory + "\\*.*", false); !name.empty();
         name = search.Continue()) {
        FileToRead paths = EntryFileToRead(directory, name, search.AlternateName());
        PlainFile file;
        file.path = std::move(paths.path);
        file.alternatePath = std::move(paths.alternatePath);
        file.name = std::move(name);
        list.files.push_back(std::move(file));
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
#endif
