// One folder's entries listed on a thread of its own while the caller does
// other work (reads a list), then handed over as ForEachFolderEntry hands
// them: the listing of a folder of 10,000 files costs a check of them about
// a tenth of its time, and it need not wait for the list. At most
// kEntriesAhead entries wait at once, so a folder of a million entries still
// costs little memory: the lister waits for room.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "files/FolderEntries.h"

namespace sumbrook {

class FolderEntriesAhead {
  public:
    static constexpr std::size_t kEntriesAhead = 1U << 16;

    // Starts listing `folder`, at most `ahead` entries before ForEach takes
    // them (where no thread can be started, ForEach lists it itself).
    explicit FolderEntriesAhead(std::string folder, std::size_t ahead = kEntriesAhead);
    // Stops the listing where it is and joins its thread.
    ~FolderEntriesAhead();
    FolderEntriesAhead(const FolderEntriesAhead&) = delete;
    FolderEntriesAhead& operator=(const FolderEntriesAhead&) = delete;

    const std::string& Folder() const { return folder_; }

    // ForEachFolderEntry(Folder(), visit), from the listing under way; once.
    std::string ForEach(const std::function<void(const FolderEntry&)>& visit);

  private:
    struct Held {
        std::string name;
        FolderEntry entry;
    };
    void List();

    const std::string folder_;
    const std::size_t ahead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Held> waiting_;
    bool done_ = false;
    bool stop_ = false;
    std::string error_;
    std::exception_ptr failure_;  // of the listing's own work (no memory), thrown by ForEach
    std::thread thread_;
};

}  // namespace sumbrook
