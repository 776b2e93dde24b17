#include "crc/FileEntryCrc32.h"

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

std::string FileEntryCrc32(const std::string& directoryText, const std::string& longName,
                           const std::string& shortName, std::vector<unsigned char>& buffer) {
    const bool shortNameDiffers = !shortName.empty() && shortName != longName;
    const bool longNameUnusable = shortNameDiffers && !CanBeStoredName(longName);
    const std::string shortPath = directoryText + "\\" + shortName;
    FileChecksum checksum =
        ChecksumFile(longNameUnusable ? shortPath : directoryText + "\\" + longName, buffer);
    if (shortNameDiffers && !longNameUnusable && NameNotFound(checksum)) {
        checksum = ChecksumFile(shortPath, buffer);
    }
    return checksum.status == FileReadStatus::kOk ? Crc32Text(checksum.crc) : kNoCrc32Text;
}

}  // namespace sumbrook
