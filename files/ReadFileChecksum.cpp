#include "files/ReadFileChecksum.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

namespace sumbrook {

bool NameNotFound(const FileChecksum& checksum) {
    if (checksum.status != FileReadStatus::kOpenFailed) return false;
#ifdef _WIN32
    return checksum.errorCode == ERROR_FILE_NOT_FOUND ||
           checksum.errorCode == ERROR_PATH_NOT_FOUND || checksum.errorCode == ERROR_INVALID_NAME;
#else
    return checksum.errorCode == ENOENT || checksum.errorCode == ENOTDIR;
#endif
}

FileChecksum ReadFileChecksum(const FileToRead& file, unsigned maxParts,
                              std::vector<unsigned char>& buffer, const FileAccess& access) {
    FileChecksum checksum = ChecksumFile(file.path, buffer, access, maxParts);
    if (!file.alternatePath.empty() && NameNotFound(checksum)) {
        checksum = ChecksumFile(file.alternatePath, buffer, access, maxParts);
    }
    return checksum;
}

}  // namespace sumbrook
