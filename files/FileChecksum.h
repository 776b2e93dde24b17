// Digests of whole files, read through the platform's file calls (under the
// error-mode rule, with file-system redirection off); a large file's CRC-32
// in parts at once.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/SameFile.h"
#include "hash/Digest.h"
#include "hash/Hasher.h"
#include "platform/ErrorModeScope.h"

namespace sumbrook {

class FileReadControl;

enum class FileReadStatus {
    kOk,
    kOpenFailed,    // missing, a directory, wildcards, access denied, held open for writing...
    kNotADiskFile,  // a device or pipe name
    kSizeFailed,    // the size query failed
    kReadFailed,    // a read request failed
    kEndedEarly,    // the file became shorter than the size found at open
    kCancelled,     // the run's FileReadControl stopped the reading
    kLeftOut,       // the file is FileAccess::leaveOut (by identity): never read
};

struct FileChecksum {
    FileReadStatus status = FileReadStatus::kOpenFailed;
    Digest digest;                // valid when status is kOk: of the kind read
    std::uint64_t size = 0;       // bytes checksummed
    unsigned long errorCode = 0;  // GetLastError (Windows) or errno (POSIX) of the failing call
    // Read through the system's cache although the caller asked past it,
    // because the file system refused uncached reads; only with status kOk.
    bool readThroughCache = false;
};

// How a path names its file on Windows; on POSIX a path is bytes either way.
// Opens `path` for reading as every read of a file does (read access,
// other readers admitted, an existing file only) with the CreateFile flags
// `flags`; returns the handle, or INVALID_HANDLE_VALUE with the thread's last
// error set. Windows only: a POSIX build never calls one.
using FileOpener = void* (*)(const std::string& path, unsigned long flags);

// Makes a hasher of a kind: hash/Hasher.h's MakeHasher.
using HasherMaker = std::unique_ptr<Hasher> (*)(DigestKind kind);

// Windows: hands `length` bytes of the open file `file` from `offset` on to
// `hasher` through mapped views of it (files/MappedViewWin.cpp); false, with
// nothing read, where the file cannot be mapped.
using MappedRangeReader = bool (*)(void* file, std::uint64_t offset, std::uint64_t length,
                                   FileReadControl* control, Hasher& hasher, FileChecksum& result);

#ifdef _WIN32
// The command line's opener: `path` is UTF-8, opened with the ...W call and,
// when long, in the extended-length form, so any name of any length opens.
// A folder fails with kFolderOpenError rather than "access denied".
void* OpenUtf8PathForReading(const std::string& path, unsigned long flags);
#endif
// The error of a folder opened or found where a file was to be read, on every system.
inline constexpr unsigned long kFolderOpenError = 336;  // ERROR_DIRECTORY_NOT_SUPPORTED

// How a caller reaches files: whom the error-mode rule is set for (see
// ErrorModeGuard), how its paths name files, and whether the bytes are read
// from the disk past the system's cache (O_DIRECT on Linux,
// FILE_FLAG_NO_BUFFERING on Windows), so that a file just written is read as
// it lies on the disk rather than as it lies in memory.
struct FileAccess {
    ErrorModeScope errorMode = ErrorModeScope::kProcess;
    // How a path names its file on Windows: null for a text of the ANSI code
    // page, opened with the ...A call; else the opener for its encoding. (A
    // pointer rather than a choice, so that the dialog, which never names
    // another opener, links none of the wide-character code.)
    FileOpener open = nullptr;
    bool uncached = false;
    // The run this read belongs to (files/FileReadControl.h): every read loop
    // counts its bytes there and ends as kCancelled once it is stopped, and
    // the threads for a large file's parts are taken from it. Null: none.
    FileReadControl* control = nullptr;
    // The digest read of each file. A CRC-32 is computed with crc/ itself
    // and read in parts where large; any other kind is read whole, by a
    // hasher that `makeHasher` makes per file (required then). A pointer
    // rather than a call of MakeHasher, so that the dialog, which reads
    // CRC-32 only, links none of the other kinds' code.
    DigestKind digest = DigestKind::kCrc32;
    HasherMaker makeHasher = nullptr;
    // A file that is this one (files/SameFile.h: device and file number, or
    // volume and file ID), whatever path reaches it, is not read: kLeftOut.
    // Null: none.
    const FileIdentity* leaveOut = nullptr;
    // Windows: tells whether an open handle is `leaveOut` (a pointer, so
    // that the dialog, which leaves nothing out, links none of it); POSIX
    // learns it at open anyway.
    bool (*isFile)(void* handle, const FileIdentity& identity) = nullptr;
    // Windows: how a digest other than CRC-32 reads a file from
    // kMappedReadThreshold on (null: ReadFile in blocks). A pointer, so that
    // the dialog links none of it.
    MappedRangeReader readMapped = nullptr;
};

#ifdef _WIN32
// The MappedRangeReader of the Windows build.
bool ChecksumMappedView(void* file, std::uint64_t offset, std::uint64_t length,
                        FileReadControl* control, Hasher& hasher, FileChecksum& result);
#endif

// `access` reading digests of `kind`, whatever their kind (MakeHasher).
inline FileAccess WithDigestKind(FileAccess access, DigestKind kind) {
    access.digest = kind;
    access.makeHasher = MakeHasher;
#ifdef _WIN32
    access.readMapped = ChecksumMappedView;
#endif
    return access;
}

// The dialog: its one thread sets the process's error mode around each call,
// and names are ANSI texts as the dialog's fields and searches hold them.
inline constexpr FileAccess kDialogFileAccess{ErrorModeScope::kProcess, nullptr};
// Readers side by side (the command line, the verification window): each
// sets its own thread's error mode, and names are UTF-8, reaching every file
// Windows can hold.
#ifdef _WIN32
inline constexpr FileAccess kPerThreadUtf8FileAccess{ErrorModeScope::kThread,
                                                     OpenUtf8PathForReading,
                                                     false,
                                                     nullptr,
                                                     DigestKind::kCrc32,
                                                     nullptr,
                                                     nullptr,
                                                     IsOpenFile};
#else
inline constexpr FileAccess kPerThreadUtf8FileAccess{ErrorModeScope::kThread, nullptr};
#endif

// Files from this size on are read in parts at once.
inline constexpr std::uint64_t kFilePartsThreshold = 64U << 20;

// The most parts one file is read in.
inline constexpr unsigned kMaxFileParts = 4;

// Reads the existing file at `path` (never creates one) and computes the
// digest `access.digest` of exactly the bytes it held when opened; bytes appended meanwhile are not
// read, so the call always ends. The file is opened for reading, admitting other readers only, and
// is closed before the call returns on every path. `buffer` is the calling thread's read buffer,
// grown once to the block size and reused across calls. On Windows the file is reached as `access`
// says; failures carry GetLastError there and errno on POSIX.
//
// With `access.uncached`, every handle of the file is opened past the cache
// and read in whole multiples of kUncachedReadAlignment at offsets aligned to
// it, into an aligned buffer; nothing is mapped. Where the file system
// refuses that (the open or a read fails with EINVAL, or
// ERROR_INVALID_PARAMETER on Windows), the file is read as without
// `uncached`, and the result says so (readThroughCache).
//
// A CRC-32 of a file of kFilePartsThreshold bytes or more is read in as many parts as
// there are processors this process may run on (by affinity), at most
// `maxParts` and kMaxFileParts, and the parts' checksums are combined in file
// order: the result is the same as read in one piece. The calling thread
// reads the first part through the first handle; every other part is read on
// a thread of its own, through a handle of its own opened as the first one
// (under that thread's own error mode) while the first stays open. A thread
// that cannot be started has its part read by the calling thread. Each part
// reads exactly its range of the size found at the first open; any part that
// fails makes the file fail with that part's status and error (the first such
// part in file order). With `access.control`, the parts beyond the first get
// threads only as far as the control has threads to spare; a file that gets
// none is read whole. Every thread has ended before the call returns; no
// exception leaves the call.
FileChecksum ChecksumFile(const std::string& path, std::vector<unsigned char>& buffer,
                          const FileAccess& access = kDialogFileAccess,
                          unsigned maxParts = kMaxFileParts);

// The CRC text of the file, or "00000000" when it cannot be read in full.
// An empty file also gives "00000000". Shows nothing, reports nothing.
std::string FileCrc32(const std::string& path);

// Size of one read request past the cache, and on Windows of a cached one.
inline constexpr std::size_t kFileReadBlockSize = 1U << 20;

// How a file's bytes reach the hashers, as measured for each kind: one
// cached 1 GiB file, one thread, processor seconds (user + system), medians
// of 5 runs with the ways alternated (make bench-hash), Linux 6.18, on AMD
// EPYC family 25 model 17 (Zen 4, AVX-512; the wall clock of that shared
// machine said nothing, other builds ran) and, after the slash, on a quiet
// Intel Xeon family 6 model 207 (AVX-512; wall clock the same):
//
//   read path                      XXH128        SHA-256       BLAKE3
//   pread, 4 MiB blocks            0.34 / 0.20   0.88 / 0.94   0.43 / 0.40
//   pread, 256 KiB blocks          0.28 / 0.20   0.84 / 0.93   0.38 / 0.35
//   pread, 64 KiB blocks           0.26 / 0.18   0.80 / 0.93   0.36 / 0.38
//   mapped, hashed 2 MiB at once   0.22 / 0.16   0.78 / 0.86   0.41 / 0.32
//
// A copy out of the page cache costs 0.1-0.2 s of system time per GiB, the
// more the less of the block stays in the cache until it is hashed; a
// mapping's page faults cost 0.07-0.09 s and there is no copy. A hasher
// faster than a copy (XXH3, CRC-32) is bound by it, and mapped is fastest;
// for one slower (SHA-2, MD5) the ways come within the noise, mapped a
// little ahead; BLAKE3 comes within 15% either way, and a mapping lets its pieces
// go to several threads with nothing copied. The former second thread that
// read 1 MiB blocks ahead of the hasher hid the copy in wall time, at three
// futex calls per block (strace -c: 3,176 of them, 0.32 s, for 1,026 preads
// of a 1 GiB file, XXH128) and with each block written in one core's cache
// and read from another's: sumbrook-cli -a xxh128 spent 0.20-0.23 s of
// system time that way, 0.13 s mapped. So every kind maps a file from kMappedReadThreshold on
// (POSIX: files/FileChecksumPosix.cpp) and reads a smaller one in blocks of kCachedReadBlockSize,
// on the hashing thread. Windows maps for every digest but CRC-32 (files/MappedViewWin.cpp: a
// ReadFile costs more there, under Wine most), and reads a CRC-32 as before; past the cache,
// nothing is mapped.
//
// Every block lands at a page-aligned address: on AMD EPYC family 25 model
// 1 (Zen 3, no AVX-512) the kernel's copy into a buffer 8 or 16 bytes past a
// 64-byte boundary, as a heap block starts, costs four times the system
// time (a stand-alone pread loop, 1 GiB cached: 0.54-0.71 s against
// 0.10-0.14 s aligned, for 4 KiB, 64 KiB and 256 KiB blocks alike). The
// figures above were taken with such buffers. Aligned, that processor
// hashes faster copied than mapped (medians of 5 alternated runs of
// sumbrook-cli -j1, wall seconds, mapped / 64 KiB blocks / the peer, on a
// file written in small pieces and on one written 16 MiB at a time):
//
//   XXH128, xxhsum -H2       0.233 / 0.200 / 0.183    0.186 / 0.178 / 0.165
//   XXH64,  xxhsum -H1       0.277 / 0.260 / 0.236    0.236 / 0.245 / 0.235
//   BLAKE3, b3sum, 1 thread  0.541 / 0.442 / 0.607    0.479 / 0.434 / 0.466
//   SHA-256, rhash           0.848 / 0.864 / 0.955    0.820 / 0.842 / 0.930
//
// What decides it is how the cache holds the file. The kernel keeps a
// file's cached pages in folios of 4 KiB up to 2 MiB, as large as the
// writes or reads that brought them in allowed and the free memory was
// whole. A mapping maps a large folio in one go: 2 MiB of a file written
// 16 MiB at a time came into a mapping (MADV_POPULATE_READ) in under 20 us,
// against 100-400 us for a file written 4 KiB at a time, and a copy of
// 2 MiB takes some 200 us. The same file may be held either way from one
// hour to the next, and the table above was taken on another day, its
// folios not looked at. Wall seconds, medians of 7 alternated runs,
// sumbrook-cli -j1 / 64 KiB blocks (hash_bench --read pread64k) / the peer,
// of a file whose 2 MiB pieces all came into a mapping in under 50 us:
//
//   XXH128, xxhsum -H2       0.070 / 0.112 / 0.114
//   XXH64,  xxhsum -H1       0.117 / 0.180 / 0.181
//   BLAKE3, b3sum, 1 thread  0.331 / 0.380 / 0.339
//   SHA-256, rhash           0.699 / 0.780 / 0.843
//
// On AMD EPYC family 26 model 2 (AVX-512) under its hypervisor, every
// page a mapping brings in costs a trip out of the guest, at first touch
// even after MADV_POPULATE_READ: mapping a cached 1 GiB file held in small
// folios and touching each page took 0.45 s, against 0.05-0.13 s in large
// folios; copied in 64 KiB blocks it took 0.12 s (XXH128, hash_bench). So
// mapped, XXH128 came to 0.23 of xxhsum's speed, SHA-256 to 0.71 of
// rhash's and CRC-32 to 2.4 times rhash's, on such a file.
//
// So every slice of a window is timed as it comes into the mapping
// (PagesMapCheaply, files/FileChecksumPosix.cpp), for every kind: under
// kCheapMappingBytesPerMicrosecond (a quarter of a copy's time; a third
// let through slices of small folios there, and XXH128 fell to 0.49 of
// xxhsum's speed), it is hashed mapped, else the window's rest is copied in
// blocks, and so are the next one, three, seven windows while the probes
// keep finding small folios. A hasher that shares its pieces out has the first slice of a
// window probed, and the first after a copied stretch, and a slow one's
// rest copied in blocks of kSharedCopyBlockSize, each shared out in turn
// (probed while its helpers ran, every slice of a file in large folios came
// in slowly there, and BLAKE3 with both cores took twice b3sum's time). On a
// file held in small folios that comes within 2% of 64 KiB blocks
// throughout (Zen 3, XXH64: 0.203 against 0.196 s); on family 26 model 2,
// one job, alternated, mapped / probed / the peer, seconds: XXH128 0.536 /
// 0.130 / xxhsum 0.121, SHA-256 1.257 / 0.737 / rhash 0.897, BLAKE3
// 0.628 / 0.241 / b3sum on one thread 0.617, and with both cores 0.401 /
// 0.216 / b3sum 0.404.
//
// Blocks are copied 256 KiB at a time, not 64 KiB as in the figures above:
// a call into the kernel takes 7 us or more on family 26 model 2, and a
// file in small folios took XXH128 0.150 s in blocks of 64 KiB, 0.131 s in
// blocks of 256 KiB (xxhsum 0.139; XXH64 0.197, 0.175, xxhsum -H1 0.186),
// where Zen 3 copied blocks of 4 KiB to 256 KiB alike.
//
// On Intel's processors only the kinds whose rows say probedOnIntel probe;
// the others, and a hasher that shares its pieces out, hash every window
// mapped, unprobed, a sharing hasher's slices brought in by the threads that
// hash them (DefaultPageProbe, files/FileChecksumPosix.cpp); and wherever bytes
// are hashed in place there, the kinds that gain from it have lines touched
// ahead of the hasher (RunningDigest, files/RunningDigest.h).
inline constexpr std::uint64_t kMappedReadThreshold = 4U << 20;
inline constexpr std::size_t kCachedReadBlockSize = 256U << 10;
inline constexpr std::size_t kCheapMappingBytesPerMicrosecond = 40000;  // 25 us a MiB

// Whether a range of `length` bytes read through the cache is mapped.
inline constexpr bool ReadsMapped(std::uint64_t length) {
    return length >= kMappedReadThreshold;
}

// The most of a file one reading thread maps at once, and how much of a
// mapping is hashed between two looks at the run's control.
inline constexpr std::uint64_t kMapWindowSize = 16U << 20;
inline constexpr std::size_t kMappedSliceSize = 2U << 20;

// A hasher that shares each piece out among threads (BLAKE3) hands the
// piece to its helpers and waits for the last of them, so it is handed
// slices of kSharedMappedSliceSize (some 15 ms of two threads' hashing
// between two looks at the run's control), out of one mapping of the whole
// file where the address space allows. Measured on Intel Xeon family 6
// model 207 (AVX-512), 2 cores, sumbrook-cli -a blake3 of a cached 1 GiB
// file, medians of 9 to 15 alternated runs, wall seconds against b3sum's
// (both cores): slices of 2 MiB out of 16 MiB windows 0.212-0.241 against
// 0.153-0.177; whole 16 MiB windows 0.209; 64 MiB 0.172-0.181; 64 MiB
// slices of one mapping 0.175-0.197 against 0.166-0.191.
inline constexpr std::uint64_t kSharedMapWindowSize =
    sizeof(void*) >= 8 ? std::uint64_t{1} << 30 : kMapWindowSize;
inline constexpr std::size_t kSharedMappedSliceSize =
    static_cast<std::size_t>(std::min<std::uint64_t>(64U << 20, kSharedMapWindowSize));
// Where its pages map slowly, such a hasher has the slice copied in blocks
// of kSharedCopyBlockSize instead, each shared out in turn.
inline constexpr std::size_t kSharedCopyBlockSize = 4U << 20;

// The window mapped at once and the slice of it handed to `hasher` at once
// (null: a CRC-32).
inline std::uint64_t MapWindowFor(const Hasher* hasher) {
    return hasher != nullptr && hasher->SharesPieces() ? kSharedMapWindowSize : kMapWindowSize;
}
inline std::size_t MappedSliceFor(const Hasher* hasher) {
    return hasher != nullptr && hasher->SharesPieces() ? kSharedMappedSliceSize : kMappedSliceSize;
}

// Uncached reads start at multiples of this and ask multiples of it, into a
// buffer aligned to it: a multiple of the sector and logical block sizes
// disks use.
inline constexpr std::size_t kUncachedReadAlignment = 4096;

}  // namespace sumbrook
