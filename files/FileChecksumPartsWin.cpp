// Whole file for the Windows build only; empty elsewhere.
#ifdef _WIN32
#include "files/FileChecksumParts.h"

namespace sumbrook {

FileChecksum ChecksumFileInParts(const std::string& path, unsigned /*parts*/,
                                 std::vector<unsigned char>& buffer, ErrorModeScope errorMode) {
    return ChecksumFile(path, buffer, errorMode);
}

}  // namespace sumbrook
#endif
