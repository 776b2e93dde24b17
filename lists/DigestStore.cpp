#include "lists/DigestStore.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace sumbrook {

// Each digest is stored as its kind's byte and then its bytes, never across
// a block's end; a reference is the block's number and the offset in it.

DigestStore::DigestStore(DigestStore&& other) noexcept
    : blocks_(std::move(other.blocks_)), used_(std::exchange(other.used_, kBlockSize)) {}

DigestStore& DigestStore::operator=(DigestStore&& other) noexcept {
    blocks_ = std::move(other.blocks_);
    used_ = std::exchange(other.used_, kBlockSize);
    return *this;
}

DigestStore::Ref DigestStore::Add(const Digest& digest) {
    const std::size_t size = 1 + digest.Size();
    if (used_ + size > kBlockSize) {
        // The last block number leaves room for kNone.
        if (blocks_.size() + 1 >= (std::size_t{1} << (32 - kOffsetBits))) {
            throw std::length_error("too many digests");
        }
        blocks_.push_back(std::make_unique<unsigned char[]>(kBlockSize));
        used_ = 0;
    }
    unsigned char* at = blocks_.back().get() + used_;
    at[0] = static_cast<unsigned char>(digest.Kind());
    std::memcpy(at + 1, digest.Bytes(), digest.Size());
    const auto ref = static_cast<Ref>((blocks_.size() - 1) << kOffsetBits | used_);
    used_ += size;
    return ref;
}

const unsigned char* DigestStore::At(Ref ref) const {
    return blocks_[ref >> kOffsetBits].get() + (ref & (kBlockSize - 1));
}

DigestKind DigestStore::KindOf(Ref ref) const {
    return static_cast<DigestKind>(At(ref)[0]);
}

Digest DigestStore::Get(Ref ref) const {
    const unsigned char* at = At(ref);
    return Digest(static_cast<DigestKind>(at[0]), at + 1);
}

void DigestStore::SetKind(Ref ref, DigestKind kind) {
    blocks_[ref >> kOffsetBits][ref & (kBlockSize - 1)] = static_cast<unsigned char>(kind);
}

}  // namespace sumbrook
