// Several digests of the same bytes from one read: each piece handed to
// Update goes to a hasher of every kind asked for, then Finish gives every
// digest at once.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "hash/Hasher.h"

namespace sumbrook {

class DigestSet {
  public:
    // One hasher per kind, in the order given; a kind given twice counts once.
    explicit DigestSet(const std::vector<DigestKind>& kinds);

    // The kinds, in their order, without repeats.
    const std::vector<DigestKind>& Kinds() const { return kinds_; }

    // Hands the bytes to every hasher, in slices small enough to stay in the
    // processor's cache from one hasher to the next.
    void Update(const void* data, std::size_t size);
    // The digest of every kind, in the order of Kinds(). Afterwards only
    // Reset may be called.
    std::vector<Digest> Finish();
    // Starts every hasher over.
    void Reset();

  private:
    std::vector<DigestKind> kinds_;
    std::vector<std::unique_ptr<Hasher>> hashers_;
};

}  // namespace sumbrook
