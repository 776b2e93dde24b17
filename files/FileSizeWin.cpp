// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include <windows.h>

#include "files/FileSize.h"
#include "platform/ErrorModeGuard.h"
#include "platform/WidePath.h"

namespace sumbrook {

bool QueryFileSize(const std::string& path, std::uint64_t& size) {
    ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (GetFileAttributesExW(WidePath(path).c_str(), GetFileExInfoStandard, &data) == FALSE ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

}  // namespace sumbrook
#endif
