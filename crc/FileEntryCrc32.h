// The checksum of a file that a directory search has just reported.
#pragma once

#include <string>
#include <vector>

namespace sumbrook {

// The CRC text of the entry `longName` (with its short name `shortName`, ""
// when it has none) in `directoryText`, read as directoryText + "\" + name.
// The long name is used unless it cannot name the entry: when it holds a
// character no stored name can hold, or opening it finds no such file, the
// short name is used instead, where there is one (a long name the ANSI code
// page cannot represent). "00000000" for an empty or unreadable file.
// `buffer` is the read buffer, reused across calls.
std::string FileEntryCrc32(const std::string& directoryText, const std::string& longName,
                           const std::string& shortName, std::vector<unsigned char>& buffer);

}  // namespace sumbrook
