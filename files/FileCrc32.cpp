#include "crc/Crc32.h"
#include "files/FileChecksum.h"

namespace sumbrook {

std::string FileCrc32(const std::string& path) {
    std::vector<unsigned char> buffer;
    const FileChecksum checksum = ChecksumFile(path, buffer);
    return checksum.status == FileReadStatus::kOk ? Crc32Text(checksum.crc) : kNoCrc32Text;
}

}  // namespace sumbrook
