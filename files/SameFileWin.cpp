// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>
#include <winternl.h>

#include <algorithm>

#include "files/SameFile.h"
#include "platform/ErrorModeGuard.h"
#include "platform/LateBoundCall.h"
#include "platform/WidePath.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

// The file or folder at `path`, opened with no access: only its identity
// is read.
ScopedFileHandle OpenForIdentity(const std::string& path) {
    return ScopedFileHandle(CreateFileW(
        WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

// The volume and file number of the file or folder at `path`; false if
// unreachable.
bool ReadIdentity(const std::string& path, BY_HANDLE_FILE_INFORMATION& information) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    const ScopedFileHandle file = OpenForIdentity(path);
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

// The file number of an open file, without the volume's serial number that
// GetFileInformationByHandle also asks for (under Wine a round trip to
// its mount manager, some hundred microseconds a file); false when it
// cannot be told.
bool FileNumberOfOpenFile(HANDLE handle, std::uint64_t& number) {
    const auto query =
        LateBound<decltype(NtQueryInformationFile)>(L"ntdll.dll", "NtQueryInformationFile");
    if (query == nullptr) return false;
    IO_STATUS_BLOCK status = {};
    LARGE_INTEGER index = {};  // FILE_INTERNAL_INFORMATION
    if (query(handle, &status, &index, sizeof index, FileInternalInformation) < 0) return false;
    number = static_cast<std::uint64_t>(index.QuadPart);
    return true;
}

// Whether the open file is one of `identities`: the full identity asked
// only when one of them has its file number.
bool IsAnyOpenFile(HANDLE handle, const FileIdentity* first, const FileIdentity* last) {
    std::uint64_t number = 0;
    const bool numbered = FileNumberOfOpenFile(handle, number);
    if (std::none_of(first, last, [&](const FileIdentity& identity) {
            return identity.known && (!numbered || identity.number == number);
        })) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (GetFileInformationByHandle(handle, &information) == FALSE) return false;
    return std::find(first, last, IdentityOfInformation(information)) != last;
}

}  // namespace

FileIdentity IdentityOf(const std::string& path) {
    BY_HANDLE_FILE_INFORMATION information = {};
    return ReadIdentity(path, information) ? IdentityOfInformation(information) : FileIdentity();
}

bool IsOpenFile(void* handle, const FileIdentity& identity) {
    return IsAnyOpenFile(handle, &identity, &identity + 1);
}

bool IsAnyOf(const std::string& path, const std::vector<FileIdentity>& identities) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    const ScopedFileHandle file = OpenForIdentity(path);
    return file.IsValid() &&
           IsAnyOpenFile(file.Get(), identities.data(), identities.data() + identities.size());
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
