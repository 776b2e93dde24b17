// Digests kept one after another in blocks that never move, each named by a
// 32-bit reference, so that a list of a million digests costs their bytes
// (and a byte for the kind) rather than a whole Digest value each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "hash/Digest.h"

namespace sumbrook {

class DigestStore {
  public:
    using Ref = std::uint32_t;
    // Names no digest; never given by Add.
    static constexpr Ref kNone = 0xFFFFFFFF;

    DigestStore() = default;
    DigestStore(DigestStore&& other) noexcept;
    DigestStore& operator=(DigestStore&& other) noexcept;
    DigestStore(const DigestStore&) = delete;
    DigestStore& operator=(const DigestStore&) = delete;
    ~DigestStore() = default;

    // Keeps a copy of `digest`; throws std::length_error past about 4 GiB
    // of digests.
    Ref Add(const Digest& digest);
    // The digest that Add gave `ref` for (`ref` is not kNone).
    Digest Get(Ref ref) const;
    DigestKind KindOf(Ref ref) const;
    // Gives the digest of `ref` the kind `kind`, of the same size as its own:
    // the kind of a list's digests settled after they were read.
    void SetKind(Ref ref, DigestKind kind);

  private:
    static constexpr unsigned kOffsetBits = 16;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kOffsetBits;

    const unsigned char* At(Ref ref) const;

    std::vector<std::unique_ptr<unsigned char[]>> blocks_;
    std::size_t used_ = kBlockSize;  // of the last block
};

}  // namespace sumbrook
