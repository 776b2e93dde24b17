// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/FileChecksum.h"
#include "platform/WidePath.h"

namespace sumbrook {

void* OpenUtf8PathForReading(const std::string& path, unsigned long flags) {
    const std::wstring wide = WidePath(path);
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              flags, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    const DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        SetLastError(folder ? kFolderOpenError : error);
    }
    return file;
}

}  // namespace sumbrook
#endif
