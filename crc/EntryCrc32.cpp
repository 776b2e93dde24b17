#include "crc/EntryCrc32.h"

#include <windows.h>

#include "crc/Crc32.h"
#include "crc/EntryName.h"
#include "crc/FileCrc32.h"

namespace sumbrook {

namespace {

// The open failed because no entry answers to the name.
bool NameNotFound(const FileChecksum& checksum) {
    return checksum.status == FileReadStatus::kOpenFailed &&
           (checksum.errorCode == ERROR_FILE_NOT_FOUND ||
            checksum.errorCode == ERROR_PATH_NOT_FOUND || checksum.errorCode == ERROR_INVALID_NAME);
}

}  // namespace

std::string EntryCrc32(const std::string& directoryText, const std::string& longName,
                       const std::string& shortName, std::vector<unsigned char>& buffer) {
    const std::string longPath = directoryText + "\\" + longName;
    const std::string shortPath = directoryText + "\\" + shortName;
    FileChecksum checksum;
    if (shortName.empty() || shortName == longName) {
        checksum = ChecksumFile(longPath, buffer);
    } else if (!CanBeStoredName(longName)) {
        checksum = ChecksumFile(shortPath, buffer);
    } else {
        checksum = ChecksumFile(longPath, buffer);
        if (NameNotFound(checksum)) checksum = ChecksumFile(shortPath, buffer);
    }
    return checksum.status == FileReadStatus::kOk ? Crc32Text(checksum.crc) : kNoCrc32Text;
}

}  // namespace sumbrook
