#include <sys/stat.h>

#include "files/FileSize.h"

namespace sumbrook {

bool QueryFileSize(const std::string& path, std::uint64_t& size) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    size = static_cast<std::uint64_t>(info.st_size);
    return true;
}

}  // namespace sumbrook
