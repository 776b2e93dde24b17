#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "files/ListPlainFiles.h"
#include "files/PosixDirectory.h"

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
    const std::string prefix = DirectoryPrefix(directory);
    list.error = ForEachDirectoryEntry(directory, [&](int fd, const dirent& entry) {
        std::string name = entry.d_name;
        if (IsHiddenName(name) || !IsRegularOrLinkToRegular(fd, entry)) return;
        std::string path = prefix + name;
        list.files.push_back({std::move(name), std::move(path), {}});
    });
    if (!list.error.empty()) {
        list.files.clear();
        return list;
    }
    std::sort(list.files.begin(), list.files.end(),
              [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; });
    list.ok = true;
    return list;
}

}  // namespace sumbrook
