// The checksum of a file that a directory listing has reported, by the name
// that can open it.
#pragma once

#include <string>
#include <vector>

#include "files/FileToRead.h"

namespace sumbrook {

// The paths of the entry `longName` (with its short name `shortName`, ""
// when it has none) in `directory`, as directory + "\" + name. The long name
// is used unless it holds a character no stored name can hold (a long name
// the ANSI code page cannot represent): then the short name is the path and
// there is no alternate. Otherwise a differing short name is the alternate.
FileToRead EntryFileToRead(const std::string& directory, const std::string& longName,
                           const std::string& shortName);

// The CRC text of the entry, read by EntryFileToRead's rule as ChecksumFile
// reads (a large file in parts); "00000000" for an empty or unreadable file. `buffer` is the read
// buffer, reused across calls.
std::string FileEntryCrc32(const std::string& directory, const std::string& longName,
                           const std::string& shortName, std::vector<unsigned char>& buffer);

}  // namespace sumbrook
