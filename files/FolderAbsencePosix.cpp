#include <sys/stat.h>

#include <cerrno>

#include "files/FolderAbsence.h"

namespace sumbrook {

unsigned long ErrorOpeningInside(const std::string& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    return errno == ENOENT || errno == ENOTDIR ? static_cast<unsigned long>(errno) : 0;
}

}  // namespace sumbrook
