// One file's checksum for the command line: the file reader of crc/, with
// two additions around it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "crc/FileCrc32.h"

namespace sumbrook {

struct FileToRead {
    std::string path;
    std::string alternatePath;  // tried when `path` cannot be opened; "" for none
};

// Files from this size on are worth reading in parts at once.
inline constexpr std::uint64_t kSplitFileSize = 64U << 20;

// ChecksumFile of the file; a file of kSplitFileSize bytes or more is read
// in `parts` pieces at once, on as many threads, and the pieces' checksums
// are combined (POSIX build; elsewhere it is read in one piece).
FileChecksum ChecksumFileInParts(const std::string& path, unsigned parts,
                                 std::vector<unsigned char>& buffer);

// ChecksumFileInParts of `file.path`, and of `file.alternatePath` when the
// first cannot be opened and there is an alternate path.
FileChecksum ReadFileChecksum(const FileToRead& file, unsigned parts,
                              std::vector<unsigned char>& buffer);

}  // namespace sumbrook
