#include <windows.h>

#include "platform/IsFolder.h"
#include "platform/WidePath.h"

namespace sumbrook {

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace sumbrook
