// Writing a command's list file in one piece.
#pragma once

#include <string>

namespace sumbrook {

// Writes `bytes` as the whole new content of the file at `path` (binary, bytes
// unchanged); empty when that worked, else why not.
std::string WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace sumbrook
