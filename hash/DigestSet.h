// Several digests of the same bytes from one read: each piece handed to
// Update goes to a hasher of every kind asked for, then Finish gives every
// digest at once. Given more than one thread, the hashers are shared out
// among them by their cost per byte, and each Update returns once every
// thread is done with its piece: a file's six digests then take about the
// time of the slowest share instead of the sum of all.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "hash/Hasher.h"

namespace sumbrook {

class DigestSet {
  public:
    // One hasher per kind, in the order given; a kind given twice counts once.
    // `threads` hash at once, the caller's among them: at most one per kind,
    // and those beyond that a hasher that shares its pieces (BLAKE3) takes
    // as its helpers; when no thread can be started, the caller hashes alone.
    explicit DigestSet(const std::vector<DigestKind>& kinds, unsigned threads = 1);
    ~DigestSet();
    DigestSet(const DigestSet&) = delete;
    DigestSet& operator=(const DigestSet&) = delete;

    // Lets a hasher that shares a piece among threads (BLAKE3) take up to
    // `helpers` of `allowance`'s (Hasher::AllowHelpers) while the set hashes
    // on the caller's thread alone. A set given more threads than it has
    // shares hands such a hasher the threads beyond them instead, and
    // ignores this: its threads already fill the cores it was given. Either
    // way, once `allowance` is Stopped, the set leaves the rest of a piece
    // unhashed (within 64 KiB), its digests then worthless.
    void AllowHelpers(HelperAllowance* allowance, unsigned helpers);
    // Whether the set hashes on threads of its own: each piece then costs a
    // hand-over to them and a wait for the last, so it is best given large
    // pieces.
    bool SharesPieces() const { return helpers_ != nullptr; }

    // The kinds, in their order, without repeats.
    const std::vector<DigestKind>& Kinds() const { return kinds_; }

    // Hands the bytes to every hasher, in slices small enough to stay in the
    // processor's cache from one hasher to the next. An exception of a
    // hasher on another thread leaves this call.
    void Update(const void* data, std::size_t size);
    // The digest of every kind, in the order of Kinds(). Afterwards only
    // Reset may be called.
    std::vector<Digest> Finish();
    // Starts every hasher over.
    void Reset();

  private:
    class Helpers;
    class SpareThreads;
    std::vector<DigestKind> kinds_;
    std::vector<std::unique_ptr<Hasher>> hashers_;
    // The hashers of the caller's share (all of them without helpers).
    std::vector<Hasher*> own_;
    std::unique_ptr<Helpers> helpers_;
    // The threads asked beyond one per share, for a hasher that shares
    // its pieces; null when there are none.
    std::unique_ptr<SpareThreads> spare_;
    // The run's allowance, looked at for a stop between slices.
    const HelperAllowance* stopper_ = nullptr;
};

}  // namespace sumbrook
