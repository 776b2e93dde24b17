#include "files/FileChecksum.h"

#include "crc/Crc32.h"
#include "files/FileChecksumParts.h"

namespace sumbrook {

FileChecksum ChecksumFile(const std::string& path, std::vector<unsigned char>& buffer,
                          const FileAccess& access, unsigned maxParts) {
    FilePartsSettings settings;
    settings.maxParts = maxParts;
    return ChecksumFileWith(path, buffer, access, settings);
}

std::string FileCrc32(const std::string& path) {
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFile(path, buffer);
    return checksum.status == FileReadStatus::kOk ? checksum.digest.Text() : kNoCrc32Text;
}

}  // namespace sumbrook
