#include "hash/DigestSet.h"

#include <algorithm>

namespace sumbrook {

namespace {

// Small against a core's second-level cache, large against a call's cost.
constexpr std::size_t kSliceBytes = std::size_t{64} * 1024;

}  // namespace

DigestSet::DigestSet(const std::vector<DigestKind>& kinds) {
    for (const DigestKind kind : kinds) {
        if (std::find(kinds_.begin(), kinds_.end(), kind) != kinds_.end()) continue;
        kinds_.push_back(kind);
        hashers_.push_back(MakeHasher(kind));
    }
}

void DigestSet::Update(const void* data, std::size_t size) {
    if (hashers_.size() == 1) {
        hashers_.front()->Update(data, size);
        return;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const std::size_t slice = std::min(size, kSliceBytes);
        for (const auto& hasher : hashers_) hasher->Update(bytes, slice);
        bytes += slice;
        size -= slice;
    }
}

std::vector<Digest> DigestSet::Finish() {
    std::vector<Digest> digests;
    digests.reserve(hashers_.size());
    for (const auto& hasher : hashers_) digests.push_back(hasher->Finish());
    return digests;
}

void DigestSet::Reset() {
    for (const auto& hasher : hashers_) hasher->Reset();
}

}  // namespace sumbrook
