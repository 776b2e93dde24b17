// One file's checksum read in several parts at once.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/FileChecksum.h"

namespace sumbrook {

// Files from this size on are worth reading in parts at once.
inline constexpr std::uint64_t kSplitFileSize = 64U << 20;

// ChecksumFile of the file; a file of kSplitFileSize bytes or more is read
// in `parts` pieces at once, on as many threads, and the pieces' checksums
// are combined (POSIX build; elsewhere it is read in one piece).
FileChecksum ChecksumFileInParts(const std::string& path, unsigned parts,
                                 std::vector<unsigned char>& buffer,
                                 ErrorModeScope errorMode = ErrorModeScope::kProcess);

}  // namespace sumbrook
