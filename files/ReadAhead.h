// Reading a range of a file ahead of its hashing: a thread of its own copies
// the next blocks out of the system's cache while the calling thread hands
// the last one to the hasher, so that a hasher slower than the copy (SHA-2,
// MD5) runs at its own speed and one faster (XXH3, BLAKE3) waits only for
// the copy. For digests other than CRC-32, which are read whole (a CRC-32 is
// read in parts instead). Internal to files/.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "files/FileChecksum.h"
#include "files/FileReadControl.h"
#include "files/RunningDigest.h"

namespace sumbrook {

// Files from this size on are read ahead, where a thread is to be had.
inline constexpr std::uint64_t kReadAheadThreshold = 8U << 20;

// What one read brought: `got` bytes (0: the file ends there), or the
// system's `error` (not 0) when it failed.
struct BlockRead {
    std::size_t got = 0;
    unsigned long error = 0;
};

// Reads up to `wanted` bytes at `position` into `data`; on the reading thread.
using ReadBlockAt =
    std::function<BlockRead(std::uint64_t position, unsigned char* data, std::size_t wanted)>;

// Hands `length` bytes from `offset` on to `digest`, read by `readAt` on a
// thread of its own a few blocks ahead. A failed read makes the range
// kReadFailed with its error, one that brings nothing kEndedEarly;
// `control` is looked at before each block (kCancelled once it stops) and
// counts the bytes hashed. `noMemory` is the system's error for buffers that
// cannot be had. `started` is false when no thread could be started: then
// nothing was read (the caller reads the range itself). The thread has
// ended before the call returns, also when the digest throws. The result's
// digest is not set.
FileChecksum ChecksumReadAhead(std::uint64_t offset, std::uint64_t length, RunningDigest& digest,
                               FileReadControl* control, unsigned long noMemory, bool& started,
                               const ReadBlockAt& readAt);

}  // namespace sumbrook
