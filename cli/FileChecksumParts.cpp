#include "cli/FileChecksumParts.h"

namespace sumbrook {

FileChecksum ReadFileChecksum(const FileToRead& file, unsigned parts,
                              std::vector<unsigned char>& buffer) {
    FileChecksum checksum = ChecksumFileInParts(file.path, parts, buffer);
    if (checksum.status == FileReadStatus::kOpenFailed && !file.alternatePath.empty()) {
        checksum = ChecksumFileInParts(file.alternatePath, parts, buffer);
    }
    return checksum;
}

}  // namespace sumbrook
