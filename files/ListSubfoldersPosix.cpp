#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "files/ListPlainFiles.h"
#include "files/ListSubfolders.h"
#include "platform/PosixHandles.h"

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

SubfolderList ListSubfolders(const std::string& directory) {
    SubfolderList list;
    const ScopedDir dir(opendir(directory.empty() ? "." : directory.c_str()));
    if (dir.Get() == nullptr) {
        list.error = std::strerror(errno);
        return list;
    }
    const std::string prefix =
        directory.empty() || directory.back() == '/' ? directory : directory + "/";
    const int fd = dirfd(dir.Get());
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.Get());
        if (entry == nullptr) {
            if (errno != 0) {
                list.error = std::strerror(errno);
                list.folders.clear();
                return list;
            }
            break;
        }
        std::string name = entry->d_name;
        // IsHiddenName also covers "." and "..".
        if (IsHiddenName(name) || !IsDirectoryNotLink(fd, *entry)) continue;
        std::string path = prefix + name;
        list.folders.push_back({std::move(name), std::move(path)});
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
