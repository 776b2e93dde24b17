#include "files/FolderEntriesAhead.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <system_error>
#include <utility>

namespace sumbrook {

namespace {

// Thrown by the lister's visitor to leave a listing no one will take.
struct ListingStopped {};

struct Held {
    std::string name;
    FolderEntry entry;
};

}  // namespace

// What the lister and its owner share: held by both, so that a lister left
// to end on its own outlives its owner safely.
struct FolderEntriesAhead::Listing {
    Listing(std::string listed, std::size_t room) : folder(std::move(listed)), ahead(room) {}
    void List();

    const std::string folder;
    const std::size_t ahead;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Held> waiting;
    bool done = false;
    bool stop = false;
    std::string error;
    std::exception_ptr failure;  // of the listing's own work (no memory), thrown by ForEach
};

FolderEntriesAhead::FolderEntriesAhead(std::string folder, std::size_t ahead)
    : folder_(std::move(folder)),
      listing_(std::make_shared<Listing>(folder_, std::max<std::size_t>(ahead, 1))) {
    try {
        thread_ = std::thread([listing = listing_] { listing->List(); });
    } catch (const std::system_error&) {
        // ForEach lists the folder itself.
    }
}

FolderEntriesAhead::~FolderEntriesAhead() {
    bool done = false;
    {
        const std::lock_guard<std::mutex> lock(listing_->mutex);
        listing_->stop = true;
        done = listing_->done;
    }
    listing_->changed.notify_all();
    if (!thread_.joinable()) return;
    if (done) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

void FolderEntriesAhead::Listing::List() {
    std::string listed;
    std::exception_ptr failed;
    try {
        listed = ForEachFolderEntry(folder, [this](const FolderEntry& entry) {
            Held held{std::string(entry.name), entry};
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return stop || waiting.size() < ahead; });
            if (stop) throw ListingStopped();
            waiting.push_back(std::move(held));
            lock.unlock();
            changed.notify_all();
        });
    } catch (const ListingStopped&) {
        return;
    } catch (...) {
        failed = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(mutex);
        error = std::move(listed);
        failure = failed;
        done = true;
    }
    changed.notify_all();
}

std::string FolderEntriesAhead::ForEach(const std::function<void(const FolderEntry&)>& visit) {
    if (!thread_.joinable()) return ForEachFolderEntry(folder_, visit);
    Listing& listing = *listing_;
    std::deque<Held> taken;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(listing.mutex);
            listing.changed.wait(lock,
                                 [&listing] { return listing.done || !listing.waiting.empty(); });
            if (listing.waiting.empty()) {
                if (listing.failure) std::rethrow_exception(listing.failure);
                return listing.error;
            }
            taken.swap(listing.waiting);
        }
        listing.changed.notify_all();
        for (Held& held : taken) {
            held.entry.name = held.name;
            visit(held.entry);
        }
        taken.clear();
    }
}

}  // namespace sumbrook
