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

unsigned long ForEachDirectoryEntry(const std::string& directory,
                                    const std::function<void(const DirectoryEntry&)>& visit) {
    const std::wstring path = WidePath(directory);
    std::wstring pattern = path;
    if (pattern.empty()) return ERROR_PATH_NOT_FOUND;
    if (pattern.back() != L'\\' && pattern.back() != L'/') pattern += L'\\';
    pattern += L'*';

    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    WIN32_FIND_DATAW data{};
    ScopedFindHandle find(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                           FindExSearchNameMatch, nullptr, 0));
    if (!find.IsValid()) {
        const DWORD error = GetLastError();
        // A directory with no entry at all (a drive's empty root) is empty.
        if (error == ERROR_FILE_NOT_FOUND) {
            const DWORD attributes = GetFileAttributesW(path.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                return 0;
            }
        }
        return error;
    }
    DirectoryEntry entry;
    do {
        if (IsDotEntry(data.cFileName)) continue;
        entry.name = Utf8FromWide(data.cFileName);
        entry.attributes = data.dwFileAttributes;
        entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        visit(entry);
    } while (FindNextFileW(find.Get(), &data));
    const DWORD error = GetLastError();
    return error == ERROR_NO_MORE_FILES ? 0 : error;
}

}  // namespace sumbrook
