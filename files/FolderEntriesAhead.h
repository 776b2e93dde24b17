// One folder's entries listed on a thread of its own while the caller does
// other work (reads a list), then handed over as ForEachFolderEntry hands
// them: the listing of a folder of 10,000 files costs a check of them about
// a tenth of its time, and it need not wait for the list. At most
// kEntriesAhead entries wait at once, so a folder of a million entries still
// costs little memory: the lister waits for room.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "files/FolderEntries.h"
#include "platform/SpreadThread.h"

namespace sumbrook {

class FolderEntriesAhead {
  public:
    static constexpr std::size_t kEntriesAhead = 1U << 16;

    // Starts listing `folder`, at most `ahead` entries before ForEach takes
    // them (where no thread can be started, ForEach lists it itself).
    explicit FolderEntriesAhead(std::string folder, std::size_t ahead = kEntriesAhead);
    // Tells the listing to stop at its next entry. A listing that has ended
    // is joined; one still under way (a folder that has not answered, a
    // list refused before its folder was needed) is left to end on its own,
    // touching nothing but the state it shares with this object, so that
    // the run reports at once.
    ~FolderEntriesAhead();
    FolderEntriesAhead(const FolderEntriesAhead&) = delete;
    FolderEntriesAhead& operator=(const FolderEntriesAhead&) = delete;

    const std::string& Folder() const { return folder_; }

    // ForEachFolderEntry(Folder(), visit), from the listing under way; once.
    std::string ForEach(const std::function<void(const FolderEntry&)>& visit);

  private:
    struct Listing;

    const std::string folder_;
    std::shared_ptr<Listing> listing_;
    SpreadThread thread_;
};

}  // namespace sumbrook
