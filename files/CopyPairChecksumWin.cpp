// ChecksumCopyPair on Win32: the listing told both sizes before, so the
// two files are simply read one after the other.
#include "files/CopyPairChecksum.h"
#include "files/ReadFileChecksum.h"

namespace sumbrook {

CopyPairChecksums ChecksumCopyPair(const FileToRead& source, const FileToRead& copy,
                                   unsigned maxParts, std::vector<unsigned char>& buffer,
                                   const FileAccess& access) {
    CopyPairChecksums pair;
    pair.source = ReadFileChecksum(source, maxParts, buffer, access);
    if (pair.source.status == FileReadStatus::kCancelled) return pair;
    pair.copy = ReadFileChecksum(copy, maxParts, buffer, access);
    return pair;
}

}  // namespace sumbrook
