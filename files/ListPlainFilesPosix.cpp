#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/ListPlainFiles.h"
#include "files/PosixDirectory.h"
#include "platform/SystemErrorText.h"

namespace sumbrook {

namespace {

// A regular file itself, or a link that ends at one. The directory entry
// tells a regular file without a look at the file, so its size stays
// unknown; a link's target is looked at, and `file` gets its size. A link
// that leads to nothing gets the reason in `linkError`.
bool IsRegularOrLinkToRegular(int directoryFd, const dirent& entry, PlainFile& file,
                              int& linkError) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat info {};
    if (fstatat(directoryFd, entry.d_name, &info, 0) != 0) {
        const int error = errno;
        struct stat link {};
        if (fstatat(directoryFd, entry.d_name, &link, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(link.st_mode)) {
            linkError = error;
        }
        return false;
    }
    if (!S_ISREG(info.st_mode)) return false;
    file.size = static_cast<std::uint64_t>(info.st_size);
    file.sized = true;
    return true;
}

}  // namespace

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name[0] == '.';
}

PlainFileList ListPlainFiles(const std::string& directory) {
    PlainFileList list;
    const std::string prefix = DirectoryPrefix(directory);
    list.error = ForEachDirectoryEntry(directory, [&](int fd, const dirent& entry) {
        PlainFile file;
        file.name = entry.d_name;
        if (IsHiddenName(file.name)) return;
        int linkError = 0;
        if (!IsRegularOrLinkToRegular(fd, entry, file, linkError)) {
            if (linkError != 0) {
                list.brokenLinks.push_back(
                    {prefix + file.name, SystemErrorText(static_cast<unsigned long>(linkError))});
            }
            return;
        }
        file.path = prefix + file.name;
        list.files.push_back(std::move(file));
    });
    if (!list.error.empty()) {
        list.files.clear();
        list.brokenLinks.clear();
        return list;
    }
    std::sort(list.files.begin(), list.files.end(),
              [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; });
    std::sort(list.brokenLinks.begin(), list.brokenLinks.end(),
              [](const BrokenLink& a, const BrokenLink& b) { return a.path < b.path; });
    list.ok = true;
    return list;
}

}  // namespace sumbrook
