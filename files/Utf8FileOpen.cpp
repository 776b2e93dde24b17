// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/FileChecksum.h"
#include "platform/WidePath.h"

namespace sumbrook {

void* OpenUtf8PathForReading(const std::string& path, unsigned long flags) {
    return CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                       OPEN_EXISTING, flags, nullptr);
}

}  // namespace sumbrook
#endif
