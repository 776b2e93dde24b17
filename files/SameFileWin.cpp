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
bool ReadIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& information) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    // No access asked for: only the file's identity is read.
    const ScopedFileHandle file(CreateFileW(
        WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file.IsValid() && GetFileInformationByHandle(file.Get(), &information) != FALSE;
}

FileIdentity IdentityOfInformation(const BY_HANDLE_FILE_INFORMATION& information) {
    FileIdentity identity;
    identity.known = true;
    identity.device = information.dwVolumeSerialNumber;
    identity.number =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
    return identity;
}

}  // namespace

FileIdentity IdentityOf(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION information = {};
    return ReadIdentity(path, information) ? IdentityOfInformation(information) : FileIdentity();
}

FileIdentity IdentityOfOpenFile(void* handle) {
    BY_HANDLE_FILE_INFORMATION information = {};
    return GetFileInformationByHandle(handle, &information) != FALSE
               ? IdentityOfInformation(information)
               : FileIdentity();
}

FileIdentity IdentityOfStandardOutput() {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION information = {};
    if (output == nullptr || output == INVALID_HANDLE_VALUE ||
        GetFileType(output) != FILE_TYPE_DISK ||
        GetFileInformationByHandle(output, &information) == FALSE) {
        return {};
    }
    return IdentityOfInformation(information);
}

bool SameFile(const std::string& first, const std::string& second) {
    BY_HANDLE_FILE_INFORMATION a = {};
    BY_HANDLE_FILE_INFORMATION b = {};
    return ReadIdentity(first, a) && ReadIdentity(second, b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace sumbrook
#endif
