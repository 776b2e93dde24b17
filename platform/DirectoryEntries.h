// The entries of a directory by their UTF-16 names, for the command line.
// Windows only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace sumbrook {

struct DirectoryEntry {
    std::string name;              // UTF-8
    unsigned long attributes = 0;  // FILE_ATTRIBUTE_...
    std::uint64_t size = 0;
};

// Calls `visit` for every entry of the directory at the UTF-8 `directory`
// ("." and ".." left out) in the order the file system reports them, through
// the ...W calls, so names outside the ANSI code page and paths of any length
// are read; one entry is held at a time. The error mode is set for the
// calling thread only. Returns 0 when every entry was read (an empty
// directory has none), else GetLastError of the failure: a missing
// directory, a file, or one that cannot be read.
unsigned long ForEachDirectoryEntry(const std::string& directory,
                                    const std::function<void(const DirectoryEntry&)>& visit);

}  // namespace sumbrook
