// A file's size from the file system, without opening it for reading.
#pragma once

#include <cstdint>
#include <string>

namespace sumbrook {

// True with `size` set when `path` names a regular file (through links on
// POSIX); false when it cannot be reached or is no regular file.
bool QueryFileSize(const std::string& path, std::uint64_t& size);

}  // namespace sumbrook
