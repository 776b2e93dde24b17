#include <windows.h>

#include "platform/ReadOnlyFile.h"
#include "platform/WidePath.h"

namespace sumbrook {

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
           (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

}  // namespace sumbrook
