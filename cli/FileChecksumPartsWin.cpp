// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include "cli/FileChecksumParts.h"

namespace sumbrook {

FileChecksum ChecksumFileInParts(const std::string& path, unsigned /*parts*/,
                                 std::vector<unsigned char>& buffer) {
    return ChecksumFile(path, buffer);
}

}  // namespace sumbrook
#endif
