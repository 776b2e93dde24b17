// Reading a directory's entries on POSIX systems. POSIX builds only.
#pragma once

#include <dirent.h>

#include <functional>
#include <string>

namespace sumbrook {

// Calls `visit` with the directory's descriptor and each entry of
// `directory` ("" is the current directory), "." and ".." included, in the
// order the system reports them. Returns "" when every entry was read, else
// the system's words for why the directory could not be read (entries
// visited before the failure have been visited).
std::string ForEachDirectoryEntry(const std::string& directory,
                                  const std::function<void(int directoryFd, const dirent&)>& visit);

// `directory` and a "/" to put a name after ("" stays "").
std::string DirectoryPrefix(const std::string& directory);

}  // namespace sumbrook
