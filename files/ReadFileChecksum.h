// Reading one file of a listing or of a list: by the name that can open it,
// and by its other name (the short one) when that one names no file.
#pragma once

#include <vector>

#include "files/FileChecksum.h"
#include "files/FileToRead.h"

namespace sumbrook {

// The one trigger for the alternate path: the open found no entry by that
// name (file or path not found, or an invalid name).
bool NameNotFound(const FileChecksum& checksum);

// ChecksumFile of `file.path` in at most `maxParts` parts, and of
// `file.alternatePath` when there is one and the first names no file.
FileChecksum ReadFileChecksum(const FileToRead& file, unsigned maxParts,
                              std::vector<unsigned char>& buffer,
                              const FileAccess& access = kDialogFileAccess);

}  // namespace sumbrook
