// The plain files (ListPlainFiles's rule) of a folder or of its whole tree,
// each named by its path relative to the top folder with '/' between
// folders: "a.txt", "sub/deeper/b.txt"; and the walk of such a tree one
// entry at a time.
#pragma once

#include <string>
#include <vector>

#include "files/FolderEntries.h"
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
    // Links in the folders listed that lead to no file, as ListPlainFiles
    // finds them.
    std::vector<BrokenLink> brokenLinks;
};

// The plain files of `top`; with `recursive`, also those of every subfolder
// that ListSubfolders enters, at any depth. `control`, when given, is heeded
// as WalkFolderTree heeds it.
PlainFileTree ListPlainFilesTree(const std::string& top, bool recursive,
                                 const ListingControl* control = nullptr);

// What a walk of a tree hands over, folder by folder.
class FolderTreeVisitor {
  public:
    virtual ~FolderTreeVisitor() = default;
    // An entry of the folder at `folder` (relative, "" for the top), whose
    // path is `folderPath`.
    virtual void Entry(const std::string& folder, const std::string& folderPath,
                       const FolderEntry& entry) = 0;
    // After the entries of `folder`: `listed` when every one was read, else
    // the folder could not be listed (or not to its end) for `error`.
    virtual void FolderDone(const std::string& folder, const std::string& folderPath, bool listed,
                            const std::string& error) = 0;
};

// Lists `top` and, with `recursive`, every folder below it that
// ListSubfolders enters (never through a link, so the walk cannot run in
// circles or leave the tree), each once, entry by entry. False when `top`
// itself cannot be listed (its FolderDone tells why); a folder below that
// cannot be listed is told and the walk goes on past it. `control`, when
// given, is told the plain files found and looked at between two folders
// and every few thousand entries: once its flag is set the walk ends there
// (true; the caller asks the flag), the folder being listed not done.
bool WalkFolderTree(const std::string& top, bool recursive, FolderTreeVisitor& visitor,
                    const ListingControl* control = nullptr);

// The path of `relative` (with '/' between folders) inside `top`, with the
// platform's separator.
std::string PathInFolder(const std::string& top, const std::string& relative);

}  // namespace sumbrook
