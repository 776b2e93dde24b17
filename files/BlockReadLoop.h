// The one loop that reads a range of a file, whatever reads its blocks: a
// pread or ReadFile into a buffer, an aligned read past the cache, a window
// of a mapping. Each path gives only its read-a-block callback; the loop
// owns the stop flag, the short read, the hand-over and the count. Internal
// to files/.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "files/FileChecksum.h"
#include "files/FileReadControl.h"
#include "files/RunningDigest.h"

namespace sumbrook {

// What one read-a-block call brought: `got` bytes at `data` (0: the file
// ends there), or the system's `error` (not 0) when it failed; `mapped`:
// the bytes lie in place in a mapping of the file rather than in a buffer.
struct BlockRead {
    const unsigned char* data = nullptr;
    std::size_t got = 0;
    unsigned long error = 0;
    bool mapped = false;
};

// Hands `length` bytes from `offset` on to `digest`, in blocks of at most
// `block` bytes: `readAt(position, wanted)` brings up to `wanted` bytes at
// `position` (more are not used). The control is looked at before each block
// (kCancelled once it stops) and counts each block handed over. A failed read
// is kReadFailed with its error, one that brings nothing kEndedEarly. On kOk
// the result's size is `length` and its digest is the digest's.
template <typename ReadAt>
FileChecksum ReadBlocks(std::uint64_t offset, std::uint64_t length, std::size_t block,
                        FileReadControl* control, RunningDigest& digest, const ReadAt& readAt) {
    FileChecksum result;
    for (std::uint64_t done = 0; done < length;) {
        if (ReadStopped(control)) {
            result.status = FileReadStatus::kCancelled;
            return result;
        }
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, block));
        const BlockRead read = readAt(offset + done, wanted);
        if (read.error != 0) {
            result.status = FileReadStatus::kReadFailed;
            result.errorCode = read.error;
            return result;
        }
        if (read.got == 0) {
            result.status = FileReadStatus::kEndedEarly;
            return result;
        }
        const std::size_t got = std::min(read.got, wanted);
        if (read.mapped) {
            digest.UpdateMapped(read.data, got);
        } else {
            digest.Update(read.data, got);
        }
        done += got;
        CountRead(control, got);
        // A hasher that shares its pieces out may have left the block
        // unhashed once the run stopped.
        if (done == length && ReadStopped(control)) {
            result.status = FileReadStatus::kCancelled;
            return result;
        }
    }
    result.status = FileReadStatus::kOk;
    result.digest = digest.Finish();
    result.size = length;
    return result;
}

}  // namespace sumbrook
