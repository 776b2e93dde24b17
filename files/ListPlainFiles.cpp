#include "files/ListPlainFiles.h"

#include <algorithm>

#include "files/FolderEntries.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"
#include "platform/SystemErrorText.h"

namespace sumbrook {

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name[0] == '.';
}

PlainFileList ListPlainFiles(const std::string& directory) {
    PlainFileList list;
    const std::string prefix = FolderPrefix(directory);
    list.error = ForEachFolderEntry(directory, [&](const FolderEntry& entry) {
        if (entry.brokenLinkError != 0) {
            list.brokenLinks.push_back(
                {prefix + std::string(entry.name),
                 SystemErrorText(static_cast<unsigned long>(entry.brokenLinkError))});
        }
        if (!entry.plainFile) return;
        PlainFile file;
        file.name = entry.name;
        file.path = prefix + file.name;
        file.size = entry.size;
        file.sized = entry.sized;
        list.files.push_back(std::move(file));
    });
    if (!list.error.empty()) {
        list.files.clear();
        list.brokenLinks.clear();
        return list;
    }
#ifndef _WIN32
    std::sort(list.files.begin(), list.files.end(),
              [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; });
    std::sort(list.brokenLinks.begin(), list.brokenLinks.end(),
              [](const BrokenLink& a, const BrokenLink& b) { return a.path < b.path; });
#endif
    list.ok = true;
    return list;
}

void LeaveOutFile(PlainFileList& list, const std::string& path) {
    LeaveOutFile(list.files, path);
}

void LeaveOutFile(std::vector<PlainFile>& files, const std::string& path) {
    const auto found = std::find_if(files.begin(), files.end(), [&](const PlainFile& file) {
        return SameLastName(file.name, path) && SameFile(file.path, path);
    });
    if (found != files.end()) files.erase(found);
}

void LeaveOutFiles(std::vector<PlainFile>& files, const std::vector<FileIdentity>& identities) {
    if (std::none_of(identities.begin(), identities.end(),
                     [](const FileIdentity& identity) { return identity.known; })) {
        return;
    }
    files.erase(
        std::remove_if(files.begin(), files.end(),
                       [&](const PlainFile& file) { return IsAnyOf(file.path, identities); }),
        files.end());
}

}  // namespace sumbrook
