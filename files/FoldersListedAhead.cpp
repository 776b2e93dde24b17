#include "files/FoldersListedAhead.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
#include <utility>

#include "files/ListPlainFilesTree.h"

namespace sumbrook {

namespace {

// Thrown by a lister's visitor to leave a listing no one will take.
struct ListingStopped {};

// Entries handed over at once, as FolderEntriesAhead hands them.
constexpr std::size_t kBatch = 256;

struct Held {
    std::string name;
    FolderEntry entry;
};

}  // namespace

// What the listers and their owner share: held by all, so that a lister
// left to end on its own outlives its owner safely.
struct FoldersListedAhead::Shared {
    struct Slot {
        bool leftOut = false;
        bool reached = false;  // `reach` is known
        FolderReach reach = FolderReach::kUnknown;
        bool done = false;
        std::vector<Held> waiting;
        std::string error;
        std::exception_ptr failure;  // of the lister's own work (no memory)
    };

    Shared(std::string root, std::vector<std::string> names, std::size_t room)
        : top(std::move(root)),
          folders(std::move(names)),
          ahead(std::max<std::size_t>(room, 1)),
          slots(folders.size()),
          callerReacher(top) {}

    void List(std::size_t lister);
    void HandOver(std::size_t index, std::vector<Held>& batch);

    const std::string top;
    const std::vector<std::string> folders;
    const std::size_t ahead;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Slot> slots;  // never resized: a lister keeps a reference to its slot
    std::vector<bool> busy;   // per lister: inside a look or a listing
    std::size_t next = 0;     // the folder the next lister to claim one takes
    std::size_t current = 0;  // the caller's folder
    std::size_t held = 0;     // entries waiting in all slots
    bool stop = false;
    FolderReacher callerReacher;  // the caller's own, for folders left out
};

FoldersListedAhead::FoldersListedAhead(std::string top, std::vector<std::string> folders,
                                       unsigned listers, const std::string& leftOut,
                                       std::size_t ahead)
    : shared_(std::make_shared<Shared>(std::move(top), std::move(folders), ahead)) {
    Shared& shared = *shared_;
    if (!leftOut.empty()) {
        for (std::size_t index = 0; index < shared.folders.size(); ++index) {
            shared.slots[index].leftOut =
                PathInFolder(shared.top, shared.folders[index]) == leftOut;
        }
    }
    // No more listers than folders to list, nor than may be listed at once.
    std::size_t listed = 0;
    for (const Shared::Slot& slot : shared.slots) listed += slot.leftOut ? 0 : 1;
    listers = static_cast<unsigned>(std::min({std::size_t{listers}, listed, kFoldersAhead}));
    shared.busy.assign(listers, false);
    for (unsigned lister = 0; lister < listers; ++lister) {
        try {
            threads_.emplace_back([lister, shared = shared_] { shared->List(lister); });
        } catch (const std::system_error&) {
            break;  // those started do the work; with none, the caller does
        }
    }
}

FoldersListedAhead::~FoldersListedAhead() {
    std::vector<bool> busy;
    {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop = true;
        busy = shared_->busy;
    }
    shared_->changed.notify_all();
    for (std::size_t lister = 0; lister < threads_.size(); ++lister) {
        if (busy[lister]) {
            threads_[lister].detach();
        } else {
            threads_[lister].join();
        }
    }
}

void FoldersListedAhead::Shared::List(std::size_t lister) {
    FolderReacher reacher(top);
    std::vector<Held> batch;
    for (;;) {
        std::size_t index = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            busy[lister] = false;
            changed.wait(lock, [this] {
                while (next < slots.size() && slots[next].leftOut) ++next;
                return stop || next >= slots.size() || next < current + kFoldersAhead;
            });
            if (stop || next >= slots.size()) return;
            index = next++;
            busy[lister] = true;
        }
        Slot& slot = slots[index];
        std::string error;
        std::exception_ptr failed;
        try {
            const FolderReach reach = reacher.Reach(folders[index]);
            // The caller is woken by the first entries or the folder's end:
            // once for a folder of fewer than kBatch entries.
            {
                const std::lock_guard<std::mutex> lock(mutex);
                slot.reach = reach;
                slot.reached = true;
            }
            if (reach == FolderReach::kThere) {
                const std::size_t most = std::min(kBatch, ahead);
                error =
                    ForEachFolderEntry(PathInFolder(top, folders[index]),
                                       [this, index, most, &batch](const FolderEntry& entry) {
                                           batch.push_back(Held{std::string(entry.name), entry});
                                           if (batch.size() >= most) HandOver(index, batch);
                                       });
                if (!batch.empty()) HandOver(index, batch);
            }
        } catch (const ListingStopped&) {
            batch.clear();
        } catch (...) {
            batch.clear();
            failed = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> lock(mutex);
            slot.error = std::move(error);
            slot.failure = failed;
            slot.done = true;
        }
        changed.notify_all();
    }
}

void FoldersListedAhead::Shared::HandOver(std::size_t index, std::vector<Held>& batch) {
    std::unique_lock<std::mutex> lock(mutex);
    Slot& slot = slots[index];
    // The caller's folder is bounded by its own entries alone, so that the
    // folders after it, waiting for room, never hold it up.
    changed.wait(lock, [this, index, &slot, &batch] {
        if (stop || index < current) return true;
        return (index == current ? slot.waiting.size() : held) + batch.size() <= ahead;
    });
    if (stop || index < current) throw ListingStopped();
    held += batch.size();
    for (Held& entry : batch) slot.waiting.push_back(std::move(entry));
    lock.unlock();
    changed.notify_all();
    batch.clear();
}

FolderReach FoldersListedAhead::Reach(std::size_t index) {
    Shared& shared = *shared_;
    Shared::Slot& slot = shared.slots[index];
    if (threads_.empty() || slot.leftOut) return shared.callerReacher.Reach(shared.folders[index]);
    std::unique_lock<std::mutex> lock(shared.mutex);
    for (; shared.current < index; ++shared.current) {
        std::vector<Held>& dropped = shared.slots[shared.current].waiting;
        shared.held -= dropped.size();
        std::vector<Held>().swap(dropped);
    }
    shared.changed.notify_all();
    shared.changed.wait(lock, [&slot] { return slot.reached || slot.done; });
    if (!slot.reached) std::rethrow_exception(slot.failure);
    return slot.reach;
}

std::string FoldersListedAhead::ForEach(std::size_t index,
                                        const std::function<void(const FolderEntry&)>& visit) {
    Shared& shared = *shared_;
    Shared::Slot& slot = shared.slots[index];
    if (threads_.empty() || slot.leftOut) {
        return ForEachFolderEntry(PathInFolder(shared.top, shared.folders[index]), visit);
    }
    std::vector<Held> taken;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(shared.mutex);
            shared.changed.wait(lock, [&slot] { return slot.done || !slot.waiting.empty(); });
            if (slot.waiting.empty()) {
                if (slot.failure) std::rethrow_exception(slot.failure);
                return slot.error;
            }
            taken.swap(slot.waiting);
            shared.held -= taken.size();
        }
        shared.changed.notify_all();
        for (Held& held : taken) {
            held.entry.name = held.name;
            visit(held.entry);
        }
        taken.clear();
    }
}

}  // namespace sumbrook
