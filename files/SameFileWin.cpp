// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/SameFile.h"
#include "platform/ErrorModeGuard.h"
#include "platform/WidePath.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

// The volume and file number of the file or folder at `path`; false if
// unreachable.
bool FileIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& information) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    // No access asked for: only the file's identity is read.
    const ScopedFileHandle file(CreateFileW(
        WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.IsValid() && GetFileInformationByHandle(file.Get(), &information) != FALSE;
}

}  // namespace

bool SameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    return FileIdentity(first, a) && FileIdentity(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace sumbrook
#endif
