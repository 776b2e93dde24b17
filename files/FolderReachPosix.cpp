#include <sys/stat.h>

#include <cerrno>

#include "files/FolderReach.h"

namespace sumbrook {

FolderReach LookAtFolderStep(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? FolderReach::kNotThere : FolderReach::kUnknown;
    }
    if (S_ISLNK(info.st_mode)) return FolderReach::kThroughLink;
    return S_ISDIR(info.st_mode) ? FolderReach::kThere : FolderReach::kNotThere;
}

}  // namespace sumbrook
