// The folders below a top folder that a list's files are in, listed by a few
// threads of their own ahead of the caller, who takes them in the order
// given: each lister claims the next folder, looks at the way to it as
// FolderReacher does, and lists it only where that finds folders alone. A
// folder costs the kernel about 55 us to list (ext4, 100 entries), so the
// 100 folders of a tree of 10,000 files cost one thread 5-6 ms before any
// file can be read; two listers halve that, and the caller matches
// meanwhile rather than waiting on each folder in turn.
// Memory stays bounded: at most `ahead` entries wait in all, besides those of
// the folder the caller is taking, whose lister hands them over as they
// come; and no lister starts a folder more than kFoldersAhead past the
// caller's.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "files/FolderEntries.h"
#include "files/FolderReach.h"

namespace sumbrook {

class FoldersListedAhead {
  public:
    static constexpr std::size_t kEntriesAhead = std::size_t{1} << 16;
    static constexpr std::size_t kFoldersAhead = 16;

    // `folders`: relative to `top`, '/' between folders, as FolderReacher
    // takes them; a folder named `leftOut` (a path, as PathInFolder(top,
    // folder) makes it) is left to the caller and never looked at. Starts up
    // to `listers` threads, no more than there are folders to list (none:
    // Reach and ForEach do the work themselves).
    FoldersListedAhead(std::string top, std::vector<std::string> folders, unsigned listers,
                       const std::string& leftOut = std::string(),
                       std::size_t ahead = kEntriesAhead);
    // Tells the listers to stop. Those waiting are joined; one inside a
    // look or a listing (a folder that has not answered) is left to end on
    // its own, touching nothing but the state it shares with this object.
    ~FoldersListedAhead();
    FoldersListedAhead(const FoldersListedAhead&) = delete;
    FoldersListedAhead& operator=(const FoldersListedAhead&) = delete;

    // How folder `index` is reached. Indexes are taken in rising order; the
    // folders passed over are dropped, with what was listed of them.
    FolderReach Reach(std::size_t index);
    // ForEachFolderEntry of folder `index`, once, after Reach(index) gave
    // kThere.
    std::string ForEach(std::size_t index, const std::function<void(const FolderEntry&)>& visit);

  private:
    struct Shared;

    std::shared_ptr<Shared> shared_;
    std::vector<std::thread> threads_;
};

}  // namespace sumbrook
