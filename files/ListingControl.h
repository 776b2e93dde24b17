// What a listing of many folders heeds between two folders: a flag that
// stops it, and a watcher told how many files it has found so far.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace sumbrook {

class FolderEntriesAhead;

struct ListingControl {
    // Set from any thread: the listing stops before the next folder.
    const std::atomic<bool>* cancel = nullptr;
    // Called on the listing's thread after each folder, with the plain
    // files found so far.
    std::function<void(std::size_t filesFound)> found;
    // A folder already being listed (files/FolderEntriesAhead.h), taken from
    // there when the listing comes to it; null: none.
    FolderEntriesAhead* ahead = nullptr;
    // How many threads may list the folders of a list's plan at once (the
    // listing's own among them); a tree is walked by one.
    unsigned threads = 1;

    bool Cancelled() const { return cancel != nullptr && cancel->load(std::memory_order_relaxed); }
};

}  // namespace sumbrook
