// The subfolders of a directory that a tree listing enters.
//   Windows: the directories that are neither hidden nor system nor a
//   reparse point (a symbolic link, junction or mount point), and whose
//   names do not end in a dot or a blank (no path reaches those: Win32
//   drops what a name ends in, and " " would be the folder itself).
//   Elsewhere: the directories whose names do not start with a dot;
//   symbolic links to directories are not entered.
// A link is never followed, so a tree listing cannot run in circles or leave
// the tree it was asked for.
#pragma once

#include <string>
#include <vector>

namespace sumbrook {

struct Subfolder {
    std::string name;  // as the directory holds it (UTF-8 on Windows)
    std::string path;  // the directory, a separator and the name
};

struct SubfolderList {
    bool ok = false;    // false: the directory could not be listed
    std::string error;  // why, when not ok
    std::vector<Subfolder> folders;
};

// `hiddenToo`: also the hidden (and, on Windows, system) directories; links,
// junctions and mount points are left out all the same.
SubfolderList ListSubfolders(const std::string& directory, bool hiddenToo = false);

}  // namespace sumbrook
