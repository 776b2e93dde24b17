#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "files/FolderEntries.h"
#include "platform/PosixHandles.h"

namespace sumbrook {

namespace {

// Sorts `entry` by what it is. The directory entry tells a regular file or
// a folder without a look at it; a link (and an entry of a file system that
// tells nothing) is looked at, and a link to a regular file gets its size.
void Classify(int folderFd, const dirent& found, FolderEntry& entry) {
    unsigned char type = found.d_type;
    struct stat info {};
    if (type == DT_UNKNOWN) {
        if (fstatat(folderFd, found.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return;
        type = S_ISDIR(info.st_mode)   ? DT_DIR
               : S_ISREG(info.st_mode) ? DT_REG
               : S_ISLNK(info.st_mode) ? DT_LNK
                                       : DT_UNKNOWN;
    }
    if (type == DT_DIR) {
        entry.subfolder = true;
    } else if (type == DT_REG) {
        entry.plainFile = !entry.hidden;
    } else if (type == DT_LNK && !entry.hidden) {
        if (fstatat(folderFd, found.d_name, &info, 0) != 0) {
            entry.brokenLinkError = errno;
            return;
        }
        if (!S_ISREG(info.st_mode)) return;
        entry.plainFile = true;
        entry.size = static_cast<std::uint64_t>(info.st_size);
        entry.sized = true;
    }
}

}  // namespace

std::string ForEachFolderEntry(const std::string& folder,
                               const std::function<void(const FolderEntry&)>& visit) {
    const ScopedDir dir(opendir(folder.empty() ? "." : folder.c_str()));
    if (!dir.IsValid()) return std::strerror(errno);
    const int fd = dirfd(dir.Get());
    for (;;) {
        errno = 0;
        const dirent* found = readdir(dir.Get());
        if (found == nullptr) return errno != 0 ? std::strerror(errno) : std::string();
        FolderEntry entry;
        entry.name = found->d_name;
        if (entry.name == "." || entry.name == "..") continue;
        entry.hidden = entry.name.front() == '.';
        Classify(fd, *found, entry);
        visit(entry);
    }
}

std::string WhyNotAFolder(const std::string& folder) {
    struct stat info {};
    if (stat(folder.empty() ? "." : folder.c_str(), &info) != 0) return std::strerror(errno);
    return S_ISDIR(info.st_mode) ? std::string() : std::strerror(ENOTDIR);
}

std::string FolderPrefix(const std::string& folder) {
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

}  // namespace sumbrook
