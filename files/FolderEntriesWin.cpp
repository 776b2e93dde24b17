// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/FolderEntries.h"
#include "platform/DirectoryEntries.h"
#include "platform/ErrorModeGuard.h"
#include "platform/SystemErrorText.h"
#include "platform/WidePath.h"

namespace sumbrook {

namespace {

// Win32 drops the dots and blanks a name ends in, so a folder so named is
// reached by no path the program builds (one named " " would be its parent).
bool ReachableByName(std::string_view name) {
    return !name.empty() && name.back() != '.' && name.back() != ' ';
}

}  // namespace

std::string WhyNotAFolder(const std::string& folder) {
    if (folder.empty()) return "no directory given";
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    const DWORD attributes = GetFileAttributesW(WidePath(folder).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return SystemErrorText(GetLastError());
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return "not a directory";
    return {};
}

std::string ForEachFolderEntry(const std::string& folder,
                               const std::function<void(const FolderEntry&)>& visit) {
    std::string fault = WhyNotAFolder(folder);
    if (!fault.empty()) return fault;
    constexpr DWORD kHidden = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    const unsigned long error = ForEachDirectoryEntry(folder, [&](const DirectoryEntry& found) {
        FolderEntry entry;
        entry.name = found.name;
        entry.hidden = (found.attributes & kHidden) != 0;
        if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            entry.subfolder = (found.attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
                              ReachableByName(entry.name);
        } else {
            entry.plainFile = !entry.hidden;
        }
        entry.size = found.size;
        entry.sized = true;
        visit(entry);
    });
    return error == 0 ? std::string() : SystemErrorText(error);
}

std::string FolderPrefix(const std::string& folder) {
    if (folder.empty()) return folder;
    const char last = folder.back();
    return last == '\\' || last == '/' || last == ':' ? folder : folder + "\\";
}

}  // namespace sumbrook
#endif
