#include "files/PosixDirectory.h"

#include <cerrno>
#include <cstring>

#include "platform/PosixHandles.h"

namespace sumbrook {

std::string ForEachDirectoryEntry(
    const std::string& directory,
    const std::function<void(int directoryFd, const dirent&)>& visit) {
    const ScopedDir dir(opendir(directory.empty() ? "." : directory.c_str()));
    if (!dir.IsValid()) return std::strerror(errno);
    const int fd = dirfd(dir.Get());
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(dir.Get());
        if (entry == nullptr) return errno != 0 ? std::strerror(errno) : std::string();
        visit(fd, *entry);
    }
}

std::string DirectoryPrefix(const std::string& directory) {
    return directory.empty() || directory.back() == '/' ? directory : directory + "/";
}

}  // namespace sumbrook
