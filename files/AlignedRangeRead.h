// Checksumming a range of a file opened past the system's cache, for the
// Win32 and the POSIX reader alike: such reads must start at multiples of
// kUncachedReadAlignment, ask for whole multiples of it, and land in memory
// aligned to it. Internal to files/.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "files/AlignedReadBuffer.h"
#include "files/BlockReadLoop.h"
#include "files/FileChecksum.h"
#include "files/FileReadControl.h"
#include "files/RunningDigest.h"

namespace sumbrook {

// What one read brought: `got` bytes, or the system's `error` (not 0) when
// it failed.
struct AlignedRead {
    std::size_t got = 0;
    unsigned long error = 0;
};

// Checksums `length` bytes from `offset` on in reads of at most one block
// (files/BlockReadLoop.h): `readAt(start, data, wanted)` reads `wanted`
// bytes (a whole multiple of the alignment) from the aligned position
// `start` into `data`, fewer only where the file ends. A failed read makes
// the range kReadFailed with its error; a read that brings nothing past the
// bytes skipped for the alignment, the file having become shorter,
// kEndedEarly. `noMemory` is the system's error for a buffer that cannot be
// had. The digest is a CRC-32, or with `hasher` of the hasher's kind.
template <typename ReadAt>
FileChecksum ChecksumAlignedRange(std::uint64_t offset, std::uint64_t length,
                                  std::vector<unsigned char>& buffer, unsigned long noMemory,
                                  FileReadControl* control, Hasher* hasher, const ReadAt& readAt) {
    constexpr std::uint64_t kAlign = kUncachedReadAlignment;
    const auto roundUp = [](std::uint64_t value) { return (value + kAlign - 1) / kAlign * kAlign; };
    const auto block = static_cast<std::size_t>(
        std::min<std::uint64_t>(kFileReadBlockSize, roundUp(length + offset % kAlign)));
    unsigned char* data = nullptr;
    try {
        // A block and the bytes before an unaligned start.
        data = AlignedReadBuffer(buffer, block + kAlign);
    } catch (const std::bad_alloc&) {
        FileChecksum failed;
        failed.status = FileReadStatus::kReadFailed;
        failed.errorCode = noMemory;
        return failed;
    }
    RunningDigest digest(hasher);
    return ReadBlocks(offset, length, block, control, digest,
                      [&](std::uint64_t position, std::size_t wanted) {
                          const std::uint64_t start = position - position % kAlign;
                          const auto skip = static_cast<std::size_t>(position - start);
                          const AlignedRead read =
                              readAt(start, data, static_cast<std::size_t>(roundUp(skip + wanted)));
                          BlockRead brought{data + skip, 0, read.error};
                          if (read.error == 0 && read.got > skip) brought.got = read.got - skip;
                          return brought;
                      });
}

}  // namespace sumbrook
