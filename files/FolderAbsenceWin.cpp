// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/FolderAbsence.h"
#include "platform/ErrorModeGuard.h"
#include "platform/WidePath.h"

namespace sumbrook {

unsigned long ErrorOpeningInside(const std::string& folder) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    if (GetFileAttributesW(WidePath(folder).c_str()) != INVALID_FILE_ATTRIBUTES) return 0;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ERROR_PATH_NOT_FOUND
                                                                          : 0;
}

}  // namespace sumbrook
#endif
