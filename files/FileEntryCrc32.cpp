#include "files/FileEntryCrc32.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#endif

#include "crc/Crc32.h"
#include "files/EntryName.h"

namespace sumbrook {

FileToRead EntryFileToRead(const std::string& directory, const std::string& longName,
                           const std::string& shortName) {
    if (shortName.empty() || shortName == longName) return {directory + "\\" + longName, ""};
    if (!CanBeStoredName(longName)) return {directory + "\\" + shortName, ""};
    return {directory + "\\" + longName, directory + "\\" + shortName};
}

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

std::string FileEntryCrc32(const std::string& directory, const std::string& longName,
                           const std::string& shortName, std::vector<unsigned char>& buffer) {
    const FileChecksum checksum =
        ReadFileChecksum(EntryFileToRead(directory, longName, shortName), kMaxFileParts, buffer);
    return checksum.status == FileReadStatus::kOk ? checksum.digest.Text() : kNoCrc32Text;
}

}  // namespace sumbrook
