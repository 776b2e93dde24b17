// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/FolderReach.h"
#include "platform/ErrorModeGuard.h"
#include "platform/WidePath.h"

namespace sumbrook {

FolderReach LookAtFolderStep(const std::string& path) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                   ? FolderReach::kNotThere
                   : FolderReach::kUnknown;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return FolderReach::kThroughLink;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FolderReach::kThere
                                                        : FolderReach::kNotThere;
}

}  // namespace sumbrook
#endif
