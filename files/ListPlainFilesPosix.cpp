#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/ListPlainFiles.h"
#include "platform/PosixHandles.h"

namespace sumbrook {

namespace {

// A regular file itself, or a link that ends at one.
bool IsRegularOrLinkToRegular(int directoryFd, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat info {};
    return fstatat(directoryFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

bool IsHiddenName(const std::string& name) {
    return !name.empty() && name[0] == '.';
}

PlainFileList ListPlainFiles(const std::string& directory) {
    PlainFileList list;
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
                list.files.clear();
                return list;
            }
            break;
        }
        std::string name = entry->d_name;
        if (IsHiddenName(name) || !IsRegularOrLinkToRegular(fd, *entry)) continue;
        std::string path = prefix + name;
        list.files.push_back({std::move(name), std::move(path), {}});
    }
    std::sort(list.files.begin(), list.files.end(),
              [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; });
    list.ok = true;
    return list;
}

}  // namespace sumbrook
