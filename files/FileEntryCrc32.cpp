#include "files/FileEntryCrc32.h"

#include "crc/Crc32.h"
#include "files/EntryName.h"
#include "files/ReadFileChecksum.h"

namespace sumbrook {

FileToRead EntryFileToRead(const std::string& directory, const std::string& longName,
                           const std::string& shortName) {
    if (shortName.empty() || shortName == longName) return {directory + "\\" + longName, ""};
    if (!CanBeStoredName(longName)) return {directory + "\\" + shortName, ""};
    return {directory + "\\" + longName, directory + "\\" + shortName};
}

std::string FileEntryCrc32(const std::string& directory, const std::string& longName,
                           const std::string& shortName, std::vector<unsigned char>& buffer) {
    const FileChecksum checksum =
        ReadFileChecksum(EntryFileToRead(directory, longName, shortName), kMaxFileParts, buffer);
    return checksum.status == FileReadStatus::kOk ? checksum.digest.Text() : kNoCrc32Text;
}

}  // namespace sumbrook
