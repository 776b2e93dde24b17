// Checksums of whole files, read block by block through the platform's file
// calls (under the error-mode rule, with file-system redirection off).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sumbrook {

enum class FileReadStatus {
    kOk,
    kOpenFailed,    // missing, a directory, wildcards, access denied, held open for writing...
    kNotADiskFile,  // a device or pipe name
    kSizeFailed,    // the size query failed
    kReadFailed,    // a read request failed
    kEndedEarly,    // the file became shorter than the size found at open
};

struct FileChecksum {
    FileReadStatus status = FileReadStatus::kOpenFailed;
    std::uint32_t crc = 0;        // valid when status is kOk
    std::uint64_t size = 0;       // bytes checksummed
    unsigned long errorCode = 0;  // GetLastError of the failing call, 0 if none
};

// Reads the existing file at `path` (never creates one) and checksums exactly
// the bytes it held when opened; bytes appended meanwhile are not read, so the
// call always ends. The file is opened for reading, admitting other readers
// only, and is closed before the call returns on every path.
//
// `buffer` is the read buffer, reused across calls and grown, never shrunk.
// On Windows it grows to what the file needs: the file's size, up to one
// block. A file larger than kOverlappedReadThreshold is read on the calling
// thread while a thread of the process's thread pool checksums the blocks
// read before; the buffer then holds a ring of six blocks. Where the pool
// thread does not start or falls behind, the calling thread checksums in its
// place, with the same result. Once the call returns, the pool thread no
// longer touches the buffer (its callback may take a moment longer to end).
// No exception escapes there: no memory for the buffer gives kReadFailed.
FileChecksum ChecksumFile(const std::string& path, std::vector<unsigned char>& buffer);

// The CRC text of the file, or "00000000" when it cannot be read in full.
// An empty file also gives "00000000". Shows nothing, reports nothing.
// ChecksumFile with a buffer of its own, and on Windows reading while a pool
// thread checksums only above kOneOffOverlappedReadThreshold.
std::string FileCrc32(const std::string& path);

// Size of one read request.
inline constexpr std::size_t kFileReadBlockSize = 1U << 20;

// Files up to this size are read and checksummed on the calling thread alone
// (Windows). Handing the work to the pool costs some microseconds, but up to
// a millisecond or more under Wine when the processors are busy with other
// work; only from about this size on does the overlap repay that as well.
inline constexpr std::uint64_t kOverlappedReadThreshold = 64 * kFileReadBlockSize;

// The same for FileCrc32, whose buffer lives for one call: the fresh memory
// of the ring costs about half a millisecond a block under Wine, which the
// overlap repays only from about this size on.
inline constexpr std::uint64_t kOneOffOverlappedReadThreshold = 256 * kFileReadBlockSize;

}  // namespace sumbrook
