#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "files/ListPlainFiles.h"
#include "files/ListSubfolders.h"
#include "files/PosixDirectory.h"

namespace sumbrook {

namespace {

// A directory itself; a link to one is not.
bool IsDirectoryNotLink(int directoryFd, const dirent& entry) {
    if (entry.d_type == DT_DIR) return true;
    if (entry.d_type != DT_UNKNOWN) return false;
    struct stat info {};
    return fstatat(directoryFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISDIR(info.st_mode);
}

}  // namespace

SubfolderList ListSubfolders(const std::string& directory, bool hiddenToo) {
    SubfolderList list;
    const std::string prefix = DirectoryPrefix(directory);
    list.error = ForEachDirectoryEntry(directory, [&](int fd, const dirent& entry) {
        std::string name = entry.d_name;
        if (name == "." || name == ".." || (!hiddenToo && IsHiddenName(name))) return;
        if (!IsDirectoryNotLink(fd, entry)) return;
        std::string path = prefix + name;
        list.folders.push_back({std::move(name), std::move(path)});
    });
    if (!list.error.empty()) {
        list.folders.clear();
        return list;
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
