// The bytes of a list's digests kept one after another in blocks that never
// move, as NameStore keeps the names: a list of a million SHA-256 digests
// costs their 32 MB, and an entry keeps 4 bytes (where its digest starts)
// instead of a Digest of 72. The kind is the entry's to keep: it tells how
// many bytes are the digest's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "hash/Digest.h"

namespace sumbrook {

class DigestStore {
  public:
    DigestStore() = default;
    DigestStore(DigestStore&& other) noexcept = default;
    DigestStore& operator=(DigestStore&& other) noexcept = default;
    DigestStore(const DigestStore&) = delete;
    DigestStore& operator=(const DigestStore&) = delete;
    ~DigestStore() = default;

    // Where a copy of `digest`'s bytes starts; nothing once the store holds
    // 4 GiB (about 130 million SHA-256 digests).
    std::optional<std::uint32_t> Add(const Digest& digest);
    // The digest of `kind` whose bytes Add put at `at`.
    Digest At(std::uint32_t at, DigestKind kind) const;

  private:
    // A digest never straddles two blocks: what is left of a block that
    // cannot hold the next one (at most 63 bytes) stays unused.
    static constexpr std::uint32_t kBlockSize = 64 * 1024;

    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    std::uint32_t used_ = kBlockSize;  // in the last block
};

}  // namespace sumbrook
