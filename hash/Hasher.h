// One digest computed over bytes handed in pieces: Update any number of
// times, then Finish once. Pieces compose: the digest of a file read block
// by block equals the digest of its bytes handed at once.
#pragma once

#include <cstddef>
#include <memory>

#include "hash/Digest.h"

namespace sumbrook {

// Threads beyond the caller's that a hasher able to hash one piece on
// several (BLAKE3) may take, piece by piece: Take gives how many of `wanted`
// it may use now (0 to `wanted`), Give hands them back once the piece is
// done. Shared by every reader of a run, from any thread. Once Stopped, the
// run is over: a hasher may leave the rest of a piece unhashed (its digest
// is then worthless, and the caller, who stopped the run, never uses it).
class HelperAllowance {
  public:
    virtual unsigned Take(unsigned wanted) = 0;
    virtual void Give(unsigned count) = 0;
    virtual bool Stopped() const { return false; }

  protected:
    ~HelperAllowance() = default;
};

struct DigestKindRow;

class Hasher {
  public:
    virtual ~Hasher() = default;
    virtual void Update(const void* data, std::size_t size) = 0;
    // The digest of every byte handed so far. The hasher is not used again
    // afterwards, except through Reset.
    virtual Digest Finish() = 0;
    // Starts over, as new.
    virtual void Reset() = 0;
    // Lets the hasher share each large piece with up to `helpers` threads
    // of its own, as many as `allowance` gives at the time (null or 0: the
    // caller's thread alone). The digest is the same either way. Kinds whose
    // bytes must be hashed in order ignore it.
    virtual void AllowHelpers(HelperAllowance* allowance, unsigned helpers) {
        (void)allowance;
        (void)helpers;
    }
    // Whether AllowHelpers gave it threads: such a hasher is best handed
    // large pieces whole rather than in cache-sized slices.
    virtual bool SharesPieces() const { return false; }
    // The row of the one kind it hashes, whose facts on how its bytes are
    // best read its readers follow (hash/DigestKindTable.h); null where no
    // row's facts apply (a set of kinds, or kinds all of whose rows say 0
    // and false there).
    virtual const DigestKindRow* KindRow() const { return nullptr; }
    // How bytes handed in place out of a mapping are best handed: 0, as
    // they come; else a little at a time, a line touched ahead of the hasher
    // every so many bytes (its row's prefetchStride).
    std::size_t MappedPrefetchStride() const;
    // Whether, on Intel's processors, pages of a mapping are timed as they
    // come in before it hashes them in place (its row's probedOnIntel).
    bool ProbesMappedPagesOnIntel() const;
};

// A hasher of `kind`. Never null: every kind has a backend in every build
// (hash/CMakeLists.txt names them). A hasher is used by one thread at a
// time; many may run at once. Where the system's library refuses (out of
// memory), making, updating or finishing throws std::runtime_error or
// std::bad_alloc.
std::unique_ptr<Hasher> MakeHasher(DigestKind kind);

}  // namespace sumbrook
