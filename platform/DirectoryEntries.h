// The entries of a directory by their UTF-16 names, for the command line.
// Windows only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sumbrook {

struct DirectoryEntry {
    std::string name;              // UTF-8
    unsigned long attributes = 0;  // FILE_ATTRIBUTE_...
    std::uint64_t size = 0;
};

struct DirectoryEntries {
    bool ok = false;
    unsigned long errorCode = 0;  // GetLastError when not ok
    std::vector<DirectoryEntry> entries;
};

// Every entry of the directory at the UTF-8 `directory` ("." and ".." left
// out) in the order the file system reports them, through the ...W calls,
// so names outside the ANSI code page and paths of any length are read.
// The error mode is set for the calling thread only. An empty directory is
// ok with no entries; a missing one, a file, or one that cannot be read is
// not ok.
DirectoryEntries ReadDirectoryEntries(const std::string& directory);

}  // namespace sumbrook
