#include "lists/NameStore.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace sumbrook {

NameStore::NameStore(NameStore&& other) noexcept
    : blocks_(std::move(other.blocks_)),
      next_(std::exchange(other.next_, nullptr)),
      left_(std::exchange(other.left_, 0)) {}

NameStore& NameStore::operator=(NameStore&& other) noexcept {
    blocks_ = std::move(other.blocks_);
    next_ = std::exchange(other.next_, nullptr);
    left_ = std::exchange(other.left_, 0);
    return *this;
}

std::string_view NameStore::Add(std::string_view name) {
    if (name.empty()) return {};
    if (name.size() > left_) {
        // A name longer than a block gets a block of its own; what the last
        // block had left is not used again.
        const std::size_t size = std::max(kBlockSize, name.size());
        blocks_.push_back(std::make_unique<char[]>(size));
        next_ = blocks_.back().get();
        left_ = size;
    }
    std::memcpy(next_, name.data(), name.size());
    const std::string_view stored(next_, name.size());
    next_ += name.size();
    left_ -= name.size();
    return stored;
}

}  // namespace sumbrook
