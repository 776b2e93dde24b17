// Where an SFV check looks for the files that no line names (NEW).
#pragma once

#include <string>
#include <vector>

#include "files/ListPlainFilesTree.h"

namespace sumbrook {

// The folder that holds the file at `path`: "." for a bare name; a root
// ("/", "C:\") or a drive's current folder ("C:") kept whole.
std::string FolderOf(const std::string& path);

// The files that may be NEW: those of the tree (`recursive`) or of
// `directory`, from `top` (its listing), and those of every folder in
// `folders` (relative, "" for `directory` itself) that holds a listed file,
// each once, sorted by name. A folder of `folders` is looked into only when
// reached without a link (ListPlainFilesOfFolders); one that is there but
// cannot be listed adds nothing and is added to `top.faults` (its listed
// files are found missing or unreadable). Cancelled by `control`: nothing,
// and `top.cancelled` set.
std::vector<PlainFile> CandidateFiles(PlainFileTree& top, const std::string& directory,
                                      const std::vector<std::string>& folders, bool recursive,
                                      const ListingControl* control = nullptr);

}  // namespace sumbrook
