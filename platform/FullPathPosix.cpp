#include <cstdlib>

#include "platform/FullPath.h"

namespace sumbrook {

std::string FullPathOf(const std::string& path) {
    char* resolved = realpath(path.c_str(), nullptr);
    if (resolved == nullptr) return path;
    std::string full(resolved);
    std::free(resolved);
    return full;
}

}  // namespace sumbrook
