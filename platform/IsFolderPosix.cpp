#include <sys/stat.h>

#include "platform/IsFolder.h"

namespace sumbrook {

bool IsFolder(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace sumbrook
