// The two files of a copy and its source, read one after the other.
#pragma once

#include <vector>

#include "files/FileChecksum.h"
#include "files/FileToRead.h"

namespace sumbrook {

struct CopyPairChecksums {
    FileChecksum source;
    FileChecksum copy;
    // Both opened and found of different sizes (each result's `size`, its
    // status kOk): neither was read, and neither crc is set.
    bool sizesDiffer = false;
};

// ReadFileChecksum of `source`, then of `copy`, except that on POSIX, whose
// listings tell no sizes, both are opened first and, when their sizes
// differ, neither is read. (On Windows the listing tells the sizes before.)
// A cancelled source leaves the copy unread (its status kOpenFailed).
CopyPairChecksums ChecksumCopyPair(const FileToRead& source, const FileToRead& copy,
                                   unsigned maxParts, std::vector<unsigned char>& buffer,
                                   const FileAccess& access);

}  // namespace sumbrook
