// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/ListPlainFiles.h"
#include "platform/DirectoryEntries.h"
#include "platform/ErrorModeGuard.h"
#include "platform/SystemErrorText.h"
#include "platform/WidePath.h"

namespace sumbrook {

namespace {

// Empty when `directory` names a directory, else why not.
std::string DirectoryFault(const std::string& directory) {
    if (directory.empty()) return "no directory given";
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    const DWORD attributes = GetFileAttributesW(WidePath(directory).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemErrorText(GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return "not a directory";
    return {};
}

}  // namespace

PlainFileList ListPlainFiles(const std::string& directory) {
    PlainFileList list;
    list.error = DirectoryFault(directory);
    if (!list.error.empty()) return list;
    DirectoryEntries read = ReadDirectoryEntries(directory);
    if (!read.ok) {
        list.error = SystemErrorText(read.errorCode);
        return list;
    }
    constexpr DWORD kNotPlain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (DirectoryEntry& entry : read.entries) {
        if ((entry.attributes & kNotPlain) != 0) continue;
        PlainFile file;
        file.path = directory + "\\" + entry.name;
        file.name = std::move(entry.name);
        file.size = entry.size;
        file.sized = true;
        list.files.push_back(std::move(file));
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
#endif
