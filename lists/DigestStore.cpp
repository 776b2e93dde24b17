#include "lists/DigestStore.h"

#include <cstring>

namespace sumbrook {

std::optional<std::uint32_t> DigestStore::Add(const Digest& digest) {
    const auto size = static_cast<std::uint32_t>(digest.Size());
    if (used_ + size > kBlockSize) {
        if (blocks_.size() >= (std::uint64_t{1} << 32) / kBlockSize) return std::nullopt;
        // Not zeroed: only what Add writes is read.
        blocks_.emplace_back(new unsigned char[kBlockSize]);
        used_ = 0;
    }
    const auto at = static_cast<std::uint32_t>((blocks_.size() - 1) * kBlockSize + used_);
    std::memcpy(blocks_.back().get() + used_, digest.Bytes(), size);
    used_ += size;
    return at;
}

Digest DigestStore::At(std::uint32_t at, DigestKind kind) const {
    return Digest(kind, blocks_[at / kBlockSize].get() + at % kBlockSize);
}

}  // namespace sumbrook
