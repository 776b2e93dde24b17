// The plain files (ListPlainFiles's rule) of a folder, of its whole tree, or
// of chosen folders in it, each named by its path relative to the top
// folder with '/' between folders: "a.txt", "sub/deeper/b.txt".
#pragma once

#include <string>
#include <vector>

#include "files/ListPlainFiles.h"
#include "files/ListingControl.h"

namespace sumbrook {

struct FolderFault {
    std::string path;   // the folder as the program reached it
    std::string error;  // why it could not be listed
};

struct PlainFileTree {
    bool ok = false;         // false: the top folder could not be listed, or cancelled
    std::string error;       // why, when not ok and not cancelled
    bool cancelled = false;  // the control's flag stopped the listing
    // name: the relative path; sorted byte by byte by it, on every system.
    std::vector<PlainFile> files;
    // Folders below the top that could not be listed; their files are not
    // in `files`. The listing goes on past them.
    std::vector<FolderFault> faults;
};

// The plain files of `top`; with `recursive`, also those of every subfolder
// that ListSubfolders enters, at any depth. `control`, when given, is heeded
// between two folders.
PlainFileTree ListPlainFilesTree(const std::string& top, bool recursive,
                                 const ListingControl* control = nullptr);

// The plain files directly in each of `folders` (relative paths as above,
// "" for `top` itself). Only folders reached from `top` through folders
// (hidden ones too) are looked into, never through a link or junction; a
// folder that is not there so (none of that name, a file, a link) adds
// nothing and is no fault. The folders there that cannot be listed, and
// those on the way to them, are in `faults`. `ok` is true unless `control`
// cancelled the listing.
PlainFileTree ListPlainFilesOfFolders(const std::string& top,
                                      const std::vector<std::string>& folders,
                                      const ListingControl* control = nullptr);

// The path of `relative` (with '/' between folders) inside `top`, with the
// platform's separator.
std::string PathInFolder(const std::string& top, const std::string& relative);

}  // namespace sumbrook
