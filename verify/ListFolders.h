// The folders a check of a list looks into, and what they hold matched with the
// list's rows (ListFileMatcher): with `recursive` the whole tree (as
// ListPlainFilesTree enters it), and each folder that directly holds a
// listed file, reached without a link (FolderReacher), even where a folder
// on the way may be passed but not read. No other folder is listed. A
// folder of listed files that is not there makes them MISSING without a
// look at each; one reached through a link is not listed, its files are
// opened where the link leads. Internal to verify/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/ListPlainFilesTree.h"
#include "verify/ListCheck.h"

namespace sumbrook {

struct ListFolders {
    bool ok = false;         // false: the folder checked is none, cannot be listed, or cancelled
    std::string error;       // why, when not cancelled
    bool cancelled = false;  // the control's flag stopped the listing
    // Folders that hold listed files (with `recursive`, any folder of the
    // tree) and could not be listed.
    std::vector<FolderFault> faults;
    // With `sizes`: per row, the size of its file as listed, or kUnknownSize.
    std::vector<std::uint64_t> rowSizes;
    static constexpr std::uint64_t kUnknownSize = ~std::uint64_t{0};
};

// The folder that holds the file at `path`: "." for a bare name; a root
// ("/", "C:\") or a drive's current folder ("C:") kept whole.
std::string FolderOf(const std::string& path);

// Lists the folders of `plan` below `top` and matches them (Finish
// included). The list at `listPath` is neither a row's file nor NEW when
// found (by name, then by identity), nor is the signature beside it at
// `signaturePath` (when not empty) NEW.
// `control`, when given, is heeded as WalkFolderTree heeds it, and between
// two folders of the plan.
ListFolders ListFoldersOfPlan(ListPlan& plan, const std::vector<ListEntry>& entries,
                              const std::string& top, const std::string& listPath, bool recursive,
                              bool foldCase, bool sizes, const ListingControl* control = nullptr,
                              const std::string& signaturePath = std::string());

}  // namespace sumbrook
