#include <sys/stat.h>

#include "platform/ReadOnlyFile.h"

namespace sumbrook {

bool IsReadOnlyFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace sumbrook
