#include "platform/DirectoryEntries.h"

#include <windows.h>

#include "platform/ErrorModeGuard.h"
#include "platform/WidePath.h"
#include "platform/WideText.h"
#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

bool IsDotEntry(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

}  // namespace

DirectoryEntries ReadDirectoryEntries(const std::string& directory) {
    DirectoryEntries result;
    const std::wstring path = WidePath(directory);
    std::wstring pattern = path;
    if (pattern.empty()) {
        result.errorCode = ERROR_PATH_NOT_FOUND;
        return result;
    }
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';

    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    WIN32_FIND_DATAW data{};
    ScopedFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0));
    if (!find.IsValid()) {
        result.errorCode = GetLastError();
        // A directory with no entry at all (a drive's empty root) is empty.
        if (result.errorCode == ERROR_FILE_NOT_FOUND) {
            const DWORD attributes = GetFileAttributesW(path.c_str());
            result.ok = attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        }
        return result;
    }
    do {
        if (IsDotEntry(data.cFileName)) continue;
        DirectoryEntry entry;
        entry.name = Utf8FromWide(data.cFileName);
        entry.attributes = data.dwFileAttributes;
        entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        result.entries.push_back(std::move(entry));
    } while (FindNextFileW(find.Get(), &data));
    const DWORD error = GetLastError();
    result.ok = error == ERROR_NO_MORE_FILES;
    result.errorCode = result.ok ? 0 : error;
    return result;
}

}  // namespace sumbrook
