// Pieces of the POSIX ChecksumFile that a caller may use to checksum one
// large file in several parts at once (POSIX builds only).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/FileChecksum.h"

namespace sumbrook {

struct OpenedFile {
    int fd = -1;             // open for reading, or -1
    std::uint64_t size = 0;  // size found at open
    FileChecksum failure;    // why fd is -1; status kOk otherwise
};

// Opens `path` for reading if it is (or links to) a regular file. The caller
// closes fd.
OpenedFile OpenRegularFile(const std::string& path);

// Checksums the whole file opened by OpenRegularFile, as ChecksumFile does.
// Does not close it.
FileChecksum ChecksumOpenedFile(const OpenedFile& file, std::vector<unsigned char>& buffer);

// Checksums `length` bytes of the open file from `offset` on, through a
// mapping of just that range. kEndedEarly when the file no longer holds
// them; the process never dies of a file that shrinks meanwhile.
FileChecksum ChecksumMappedRange(int fd, std::uint64_t offset, std::uint64_t length);

}  // namespace sumbrook
