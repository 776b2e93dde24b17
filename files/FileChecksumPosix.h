// Pieces of the POSIX ChecksumFile (POSIX builds only).
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "files/FileChecksum.h"
#include "files/FileChecksumParts.h"
#include "platform/PosixHandles.h"

namespace sumbrook {

struct OpenedFile {
    ScopedFd fd;             // open for reading, or invalid
    std::uint64_t size = 0;  // size found at open
    dev_t device = 0;        // which file it is, to know it again
    ino_t inode = 0;
    FileChecksum failure;  // why fd is invalid; status kOk otherwise
    bool direct = false;   // fd reads past the cache (O_DIRECT)
    bool refusedDirect =
        false;  // asked past the cache, the file system refused: fd reads through it
};

// Opens `path` for reading if it is (or links to) a regular file; with
// `uncached`, past the cache (O_DIRECT) where the file system allows it, else
// through the cache (refusedDirect). `settings` holds the seams (as part 0).
OpenedFile OpenRegularFile(const std::string& path, bool uncached = false,
                           const FilePartsSettings& settings = FilePartsSettings());

// Checksums the whole file opened by OpenRegularFile on the calling thread:
// its CRC-32, or with `hasher` the digest of the hasher's kind; mapped from
// kMappedReadThreshold on, read in blocks of kCachedReadBlockSize below;
// mapped windows are probed (PageProbe::kMeasured, where the kernel has
// MADV_POPULATE_READ: see kCachedReadBlockSize).
FileChecksum ChecksumOpenedFile(const OpenedFile& file, std::vector<unsigned char>& buffer,
                                FileReadControl* control = nullptr, Hasher* hasher = nullptr);

// How a mapped window's pages are looked at before it is hashed: not at all
// (every window hashed mapped); the time each slice takes to come into the
// mapping measured, and where the pages come slowly (over a quarter of a
// copy's time: kCheapMappingBytesPerMicrosecond) the rest of the window, and
// of a few windows after it, copied in blocks of kCachedReadBlockSize (of
// kSharedCopyBlockSize, and by slices, for a hasher that shares its pieces
// out); or (tests) every probe taken as slow.
enum class PageProbe { kNone, kMeasured, kAssumeSlow };

// Checksums `length` bytes of the open file from `offset` on, through
// mappings of one window of the range at a time, each checksummed in slices
// between which `control` is looked at (kCancelled once it stops); where a
// window cannot be mapped, the rest is read with pread instead. kEndedEarly
// when the file no longer holds the bytes; the process never dies of a file
// that shrinks meanwhile. The digest is a CRC-32, or with `hasher` of the
// hasher's kind; `probe` says which windows are copied instead.
FileChecksum ChecksumMappedRange(int fd, std::uint64_t offset, std::uint64_t length,
                                 FileReadControl* control = nullptr, Hasher* hasher = nullptr,
                                 PageProbe probe = PageProbe::kNone);

}  // namespace sumbrook
