// The checksum of a file that a directory listing has reported, by the name
// that can open it.
#pragma once

#include <string>
#include <vector>

#include "files/FileChecksum.h"

namespace sumbrook {

// A file to read: `path`, and `alternatePath` (the same file by its short
// name; "" for none) for when `path` names no file.
struct FileToRead {
    std::string path;
    std::string alternatePath;
};

// The paths of the entry `longName` (with its short name `shortName`, ""
// when it has none) in `directory`, as directory + "\" + name. The long name
// is used unless it holds a character no stored name can hold (a long name
// the ANSI code page cannot represent): then the short name is the path and
// there is no alternate. Otherwise a differing short name is the alternate.
FileToRead EntryFileToRead(const std::string& directory, const std::string& longName,
                           const std::string& shortName);

// The one trigger for the alternate path: the open found no entry by that
// name (file or path not found, or an invalid name).
bool NameNotFound(const FileChecksum& checksum);

// ChecksumFile of `file.path` in at most `maxParts` parts, and of
// `file.alternatePath` when there is one and the first names no file.
FileChecksum ReadFileChecksum(const FileToRead& file, unsigned maxParts,
                              std::vector<unsigned char>& buffer,
                              const FileAccess& access = kDialogFileAccess);

// The two files of a copy and its source, read one after the other.
struct CopyPairChecksums {
    FileChecksum source;
    FileChecksum copy;
    // Both opened and found of different sizes (each result's `size`, its
    // status kOk): neither was read, and neither crc is set.
    bool sizesDiffer = false;
};

// ReadFileChecksum of `source`, then of `copy`, except that on POSIX, whose
// listings tell no sizes, both are opened first and, when their sizes
// differ, neither is read. (On Windows the listing tells the sizes before.)
// A cancelled source leaves the copy unread (its status kOpenFailed).
CopyPairChecksums ChecksumCopyPair(const FileToRead& source, const FileToRead& copy,
                                   unsigned maxParts, std::vector<unsigned char>& buffer,
                                   const FileAccess& access);

// The CRC text of the entry, read by EntryFileToRead's rule as ChecksumFile
// reads (a large file in parts); "00000000" for an empty or unreadable file. `buffer` is the read
// buffer, reused across calls.
std::string FileEntryCrc32(const std::string& directory, const std::string& longName,
                           const std::string& shortName, std::vector<unsigned char>& buffer);

}  // namespace sumbrook
