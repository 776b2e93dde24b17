// Why a file could not be checksummed, in words for the user.
#pragma once

#include <string>

#include "files/FileChecksum.h"

namespace sumbrook {

// "" for kOk; otherwise the reason, with the system's text where it has one:
// "cannot open: No such file or directory", "not a regular file"...
std::string ReadFailureText(const FileChecksum& checksum);

}  // namespace sumbrook
