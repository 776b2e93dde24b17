#include "files/FolderEntriesAhead.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace sumbrook {

namespace {

// Thrown by the lister's visitor to leave a listing no one will take.
struct ListingStopped {};

}  // namespace

FolderEntriesAhead::FolderEntriesAhead(std::string folder, std::size_t ahead)
    : folder_(std::move(folder)), ahead_(std::max<std::size_t>(ahead, 1)) {
    try {
        thread_ = std::thread([this] { List(); });
    } catch (const std::system_error&) {
        // ForEach lists the folder itself.
    }
}

FolderEntriesAhead::~FolderEntriesAhead() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void FolderEntriesAhead::List() {
    std::string error;
    std::exception_ptr failure;
    try {
        error = ForEachFolderEntry(folder_, [this](const FolderEntry& entry) {
            Held held{std::string(entry.name), entry};
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stop_ || waiting_.size() < ahead_; });
            if (stop_) throw ListingStopped();
            waiting_.push_back(std::move(held));
            lock.unlock();
            changed_.notify_all();
        });
    } catch (const ListingStopped&) {
        return;
    } catch (...) {
        failure = std::current_exception();
    }
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        error_ = std::move(error);
        failure_ = failure;
        done_ = true;
    }
    changed_.notify_all();
}

std::string FolderEntriesAhead::ForEach(const std::function<void(const FolderEntry&)>& visit) {
    if (!thread_.joinable()) return ForEachFolderEntry(folder_, visit);
    std::deque<Held> taken;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return done_ || !waiting_.empty(); });
            if (waiting_.empty()) {
                if (failure_) std::rethrow_exception(failure_);
                return error_;
            }
            taken.swap(waiting_);
        }
        changed_.notify_all();
        for (Held& held : taken) {
            held.entry.name = held.name;
            visit(held.entry);
        }
        taken.clear();
    }
}

}  // namespace sumbrook
