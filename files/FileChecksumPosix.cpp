// ChecksumFile on POSIX systems: regular files only, read to exactly the
// size found at the first open. Small files go through the caller's reused
// buffer; the CRC-32 of a large one is mapped and checksummed in place,
// which spares the copy out of the page cache (any other digest is read in
// large blocks: see kDigestReadBlockSize), one window of at most 16 MiB at a time (read
// with pread instead where a window cannot be mapped) and in slices between
// which the run's control is looked at; the largest in parts, the calling
// thread's mapped through the first descriptor, each other part's through
// one of its own that must name the file first opened (a file renamed over
// the path meanwhile fails with ESTALE). A mapped file that shrinks while it
// is read raises SIGBUS on the vanished pages; that fault
// is caught for the reading thread and reported as kEndedEarly. Uncached
// reads go through descriptors opened with O_DIRECT into an aligned buffer,
// never through a mapping, which would fill the cache.
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <csignal>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

#include "crc/Crc32.h"
#include "files/AlignedRangeRead.h"
#include "files/FileChecksum.h"
#include "files/FileChecksumParts.h"
#include "files/FileChecksumPosix.h"
#include "files/FileEntryCrc32.h"
#include "files/FileReadControl.h"
#include "files/ReadAhead.h"
#include "files/RunningDigest.h"

namespace sumbrook {

namespace {

// Files from this size on are mapped rather than read.
constexpr std::uint64_t kMapThreshold = 4U << 20;
// The most of a file one reading thread maps at once.
constexpr std::uint64_t kMapWindowSize = 16U << 20;
// How much of a mapping is checksummed between two looks at the control.
constexpr std::size_t kMappedSliceSize = 2U << 20;

// Where the reading thread resumes when its mapped pages vanish; null while
// the thread reads no mapping.
thread_local sigjmp_buf* t_mappedReadEscape = nullptr;
thread_local const unsigned char* t_mappedBegin = nullptr;
thread_local const unsigned char* t_mappedEnd = nullptr;
struct sigaction g_previousSigbus;

void OnSigbus(int signal, siginfo_t* info, void* context) {
    const auto* address = static_cast<const unsigned char*>(info->si_addr);
    if (t_mappedReadEscape != nullptr && address >= t_mappedBegin && address < t_mappedEnd) {
        siglongjmp(*t_mappedReadEscape, 1);
    }
    // Not ours: hand the fault back to whoever handled it before; returning
    // re-runs the faulting access under that handler.
    sigaction(SIGBUS, &g_previousSigbus, nullptr);
    (void)signal;
    (void)context;
}

void InstallSigbusHandler() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        struct sigaction action {};
        action.sa_sigaction = OnSigbus;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &g_previousSigbus);
    });
}

// Hands `length` bytes of `fd` from `offset` on to `digest`, block by block
// of `block` bytes into `buffer` (grown to that). The result's digest is not
// set.
FileChecksum ChecksumByReading(int fd, std::uint64_t offset, std::uint64_t length,
                               RunningDigest& digest, std::vector<unsigned char>& buffer,
                               FileReadControl* control, std::size_t block = kFileReadBlockSize) {
    FileChecksum result;
    try {
        if (buffer.size() < block) buffer.resize(block);
    } catch (const std::bad_alloc&) {
        result.status = FileReadStatus::kReadFailed;
        result.errorCode = ENOMEM;
        return result;
    }
    std::uint64_t done = 0;
    while (done < length) {
        if (ReadStopped(control)) {
            result.status = FileReadStatus::kCancelled;
            return result;
        }
        const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(length - done, block));
        const ssize_t got = pread(fd, buffer.data(), wanted, static_cast<off_t>(offset + done));
        if (got < 0) {
            if (errno == EINTR) continue;
            result.status = FileReadStatus::kReadFailed;
            result.errorCode = static_cast<unsigned long>(errno);
            return result;
        }
        if (got == 0) {
            result.status = FileReadStatus::kEndedEarly;
            return result;
        }
        digest.Update(buffer.data(), static_cast<std::size_t>(got));
        done += static_cast<std::uint64_t>(got);
        CountRead(control, static_cast<std::uint64_t>(got));
    }
    result.status = FileReadStatus::kOk;
    result.size = length;
    return result;
}

enum class MappingRead { kDone, kVanished, kStopped };

// Hands `length` bytes at `data`, which lie in `mapping`, to `digest` slice
// by slice; kVanished when the file no longer holds them all.
MappingRead ChecksumMapping(const unsigned char* data, std::size_t length, const void* mapping,
                            std::size_t mappedLength, RunningDigest& digest,
                            FileReadControl* control) {
    Crc32Update(0, nullptr, 0);  // tier chosen before the guarded region, never inside it
    sigjmp_buf escape;
    if (sigsetjmp(escape, 1) != 0) {
        t_mappedReadEscape = nullptr;
        return MappingRead::kVanished;
    }
    t_mappedBegin = static_cast<const unsigned char*>(mapping);
    t_mappedEnd = t_mappedBegin + mappedLength;
    t_mappedReadEscape = &escape;
    for (std::size_t done = 0; done < length;) {
        if (ReadStopped(control)) {
            t_mappedReadEscape = nullptr;
            return MappingRead::kStopped;
        }
        const std::size_t slice = std::min(length - done, kMappedSliceSize);
        digest.Update(data + done, slice);
        done += slice;
        CountRead(control, slice);
    }
    t_mappedReadEscape = nullptr;
    return MappingRead::kDone;
}

}  // namespace

FileChecksum ChecksumMappedRange(int fd, std::uint64_t offset, std::uint64_t length,
                                 FileReadControl* control, Hasher* hasher) {
    FileChecksum result;
    InstallSigbusHandler();
    const auto pageSize = static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    RunningDigest digest(hasher);
    std::uint64_t done = 0;
    // One window mapped at a time, so that a reading thread never holds more
    // than kMapWindowSize of address space, whatever the file's size.
    while (done < length) {
        const std::uint64_t position = offset + done;
        const std::uint64_t start = position - position % pageSize;
        const std::uint64_t wanted = std::min<std::uint64_t>(length - done, kMapWindowSize);
        const auto mappedLength = static_cast<std::size_t>(wanted + (position - start));
        void* mapping =
            mmap(nullptr, mappedLength, PROT_READ, MAP_SHARED, fd, static_cast<off_t>(start));
        if (mapping == MAP_FAILED) {
            // No address space or no mapping for this file: read it instead.
            std::vector<unsigned char> buffer;
            const FileChecksum rest =
                ChecksumByReading(fd, position, length - done, digest, buffer, control);
            if (rest.status != FileReadStatus::kOk) return rest;
            break;
        }
        madvise(mapping, mappedLength, MADV_SEQUENTIAL);
        const MappingRead read = ChecksumMapping(
            static_cast<const unsigned char*>(mapping) + (position - start),
            static_cast<std::size_t>(wanted), mapping, mappedLength, digest, control);
        munmap(mapping, mappedLength);
        if (read == MappingRead::kVanished) {
            result.status = FileReadStatus::kEndedEarly;
            return result;
        }
        if (read == MappingRead::kStopped) {
            result.status = FileReadStatus::kCancelled;
            return result;
        }
        done += wanted;
    }
    result.status = FileReadStatus::kOk;
    result.digest = digest.Finish();
    result.size = length;
    return result;
}

namespace {

constexpr int kOpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

FileChecksum Failed(FileReadStatus status, int errorNumber) {
    FileChecksum failed;
    failed.status = status;
    failed.errorCode = static_cast<unsigned long>(errorNumber);
    return failed;
}

// A descriptor of `path` for reading; with `uncached`, opened past the cache
// (`direct`) unless the file system refuses that with EINVAL, and then
// through it. errno tells why the result is invalid.
ScopedFd OpenForReading(const std::string& path, bool uncached, unsigned part,
                        const FilePartsSettings& settings, bool& direct) {
    direct = false;
#ifdef O_DIRECT
    if (uncached) {
        const unsigned long fault = InjectedFault(settings, part, PartStep::kOpenUncached);
        ScopedFd fd(fault != 0 ? -1 : open(path.c_str(), kOpenFlags | O_DIRECT));
        const int error = fault != 0 ? static_cast<int>(fault) : errno;
        if (fd.IsValid()) {
            direct = true;
            return fd;
        }
        if (error != EINVAL) {
            errno = error;
            return fd;
        }
    }
#else
    (void)uncached;
    (void)part;
    (void)settings;
#endif
    return ScopedFd(open(path.c_str(), kOpenFlags));
}

// Up to `wanted` bytes at `position` of `fd` (a read broken by a signal is
// made again), as the block readers take them: the bytes got, or errno.
template <typename Read>
Read PreadBlock(int fd, unsigned char* data, std::size_t wanted, std::uint64_t position) {
    Read read;
    ssize_t got = 0;
    do {
        got = pread(fd, data, wanted, static_cast<off_t>(position));
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
        read.error = static_cast<unsigned long>(errno);
    } else {
        read.got = static_cast<std::size_t>(got);
    }
    return read;
}

// Checksums `length` bytes from `offset` on through a descriptor opened past
// the cache. A refusal of the file system is kReadFailed with EINVAL.
FileChecksum ChecksumDirectRange(int fd, std::uint64_t offset, std::uint64_t length,
                                 std::vector<unsigned char>& buffer, FileReadControl* control,
                                 Hasher* hasher) {
    return ChecksumAlignedRange(offset, length, buffer, ENOMEM, control, hasher,
                                [fd](std::uint64_t start, unsigned char* data, std::size_t wanted) {
                                    return PreadBlock<AlignedRead>(fd, data, wanted, start);
                                });
}

// Checksums `length` bytes from `offset` on through `fd`: past the cache when
// `direct`, and by `readCached` otherwise or when the file system refuses the
// uncached reads (EINVAL), after turning O_DIRECT off for `fd`.
template <typename ReadCached>
FileChecksum ChecksumRange(int fd, bool direct, std::uint64_t offset, std::uint64_t length,
                           std::vector<unsigned char>& buffer, unsigned part,
                           const FilePartsSettings& settings, FileReadControl* control,
                           Hasher* hasher, const ReadCached& readCached) {
#ifdef O_DIRECT
    if (direct) {
        const unsigned long fault = InjectedFault(settings, part, PartStep::kReadUncached);
        const FileChecksum result =
            fault != 0 ? Failed(FileReadStatus::kReadFailed, static_cast<int>(fault))
                       : ChecksumDirectRange(fd, offset, length, buffer, control, hasher);
        if (result.status != FileReadStatus::kReadFailed || result.errorCode != EINVAL) {
            return result;
        }
        const int flags = fcntl(fd, F_GETFL);
        if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_DIRECT) != 0) {
            return Failed(FileReadStatus::kReadFailed, errno);
        }
        FileChecksum cached = readCached();
        cached.readThroughCache = cached.status == FileReadStatus::kOk;
        return cached;
    }
#else
    (void)direct;
    (void)offset;
    (void)length;
    (void)buffer;
    (void)part;
    (void)settings;
    (void)control;
    (void)hasher;
#endif
    return readCached();
}

// Marks a result read through the cache because its open was refused.
FileChecksum ThroughCacheWhen(bool refused, FileChecksum result) {
    if (refused && result.status == FileReadStatus::kOk) result.readThroughCache = true;
    return result;
}

// A part on a thread of its own: its own descriptor, of the file first opened.
FileChecksum ChecksumPartOnOwnThread(const std::string& path, const OpenedFile& first,
                                     const FileAccess& access, unsigned part, const FilePart& range,
                                     const FilePartsSettings& settings) {
    const bool uncached = access.uncached;
    if (const unsigned long fault = InjectedFault(settings, part, PartStep::kOpen)) {
        return Failed(FileReadStatus::kOpenFailed, static_cast<int>(fault));
    }
    bool direct = false;
    const ScopedFd fd = OpenForReading(path, uncached, part, settings, direct);
    if (!fd.IsValid()) return Failed(FileReadStatus::kOpenFailed, errno);
    struct stat info {};
    if (fstat(fd.Get(), &info) != 0) return Failed(FileReadStatus::kOpenFailed, errno);
    if (info.st_dev != first.device || info.st_ino != first.inode) {
        return Failed(FileReadStatus::kOpenFailed, ESTALE);
    }
    if (const unsigned long fault = InjectedFault(settings, part, PartStep::kRead)) {
        return Failed(FileReadStatus::kReadFailed, static_cast<int>(fault));
    }
    std::vector<unsigned char> buffer;
    return ThroughCacheWhen(uncached && !direct,
                            ChecksumRange(fd.Get(), direct, range.offset, range.length, buffer,
                                          part, settings, access.control, nullptr, [&] {
                                              return ChecksumMappedRange(fd.Get(), range.offset,
                                                                         range.length,
                                                                         access.control);
                                          }));
}

}  // namespace

OpenedFile OpenRegularFile(const std::string& path, bool uncached,
                           const FilePartsSettings& settings) {
    OpenedFile opened;
    // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is
    // refused below anyway.
    opened.fd = OpenForReading(path, uncached, 0, settings, opened.direct);
    opened.refusedDirect = uncached && !opened.direct;
    if (!opened.fd.IsValid()) {
        opened.failure = Failed(FileReadStatus::kOpenFailed, errno);
        return opened;
    }
    struct stat info {};
    if (fstat(opened.fd.Get(), &info) != 0) {
        opened.failure = Failed(FileReadStatus::kSizeFailed, errno);
    } else if (!S_ISREG(info.st_mode)) {
        opened.failure =
            Failed(FileReadStatus::kNotADiskFile, S_ISDIR(info.st_mode) ? kFolderOpenError : 0);
    } else {
        opened.size = static_cast<std::uint64_t>(info.st_size);
        opened.device = info.st_dev;
        opened.inode = info.st_ino;
        opened.failure.status = FileReadStatus::kOk;
        return opened;
    }
    opened.fd.Close();
    return opened;
}

FileChecksum ChecksumOpenedFile(const OpenedFile& file, std::vector<unsigned char>& buffer,
                                FileReadControl* control, Hasher* hasher) {
    if (file.size >= kMapThreshold && hasher == nullptr) {
        return ChecksumMappedRange(file.fd.Get(), 0, file.size, control);
    }
    RunningDigest digest(hasher);
    if (hasher != nullptr && file.size >= kReadAheadThreshold) {
        // A thread of the run's to spare reads ahead of the hashing.
        const BorrowedThreads spare(control, 1);
        bool started = false;
        const int fd = file.fd.Get();
        FileChecksum ahead =
            spare.Count() == 0
                ? FileChecksum()
                : ChecksumReadAhead(
                      0, file.size, digest, control, ENOMEM, started,
                      [fd](std::uint64_t position, unsigned char* data, std::size_t wanted) {
                          return PreadBlock<BlockRead>(fd, data, wanted, position);
                      });
        if (started) {
            if (ahead.status == FileReadStatus::kOk) ahead.digest = digest.Finish();
            return ahead;
        }
    }
    FileChecksum result =
        ChecksumByReading(file.fd.Get(), 0, file.size, digest, buffer, control,
                          hasher != nullptr ? kDigestReadBlockSize : kFileReadBlockSize);
    if (result.status == FileReadStatus::kOk) result.digest = digest.Finish();
    return result;
}

unsigned UsableProcessorCount() {
#ifdef __linux__
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        return std::max(1U, static_cast<unsigned>(CPU_COUNT(&set)));
    }
#endif
    return std::max(1U, std::thread::hardware_concurrency());
}

namespace {

// The rest of ChecksumFileWith, once `path` is open as `opened`, the bytes
// handed to `given` or (null) to a hasher of the kind `access` names.
FileChecksum ChecksumOpenedPath(const std::string& path, const OpenedFile& opened,
                                std::vector<unsigned char>& buffer, const FileAccess& access,
                                const FilePartsSettings& settings, Hasher* given = nullptr) {
    if (!opened.fd.IsValid()) return opened.failure;
    std::unique_ptr<Hasher> made;
    if (given == nullptr && !HasherOf(access, made)) {
        return Failed(FileReadStatus::kReadFailed, ENOMEM);
    }
    Hasher* const hasher = given != nullptr ? given : made.get();
    const int fd = opened.fd.Get();
    // Only a CRC-32 combines from parts.
    const unsigned wanted = hasher != nullptr ? 1 : PartCount(opened.size, settings);
    const BorrowedThreads threads(access.control, wanted - 1);
    const unsigned parts = 1 + threads.Count();
    if (parts <= 1) {
        try {
            return ThroughCacheWhen(
                opened.refusedDirect,
                ChecksumRange(
                    fd, opened.direct, 0, opened.size, buffer, 0, settings, access.control, hasher,
                    [&] { return ChecksumOpenedFile(opened, buffer, access.control, hasher); }));
        } catch (const std::exception&) {
            // A hasher whose library failed (no memory).
            return Failed(FileReadStatus::kReadFailed, ENOMEM);
        }
    }
    const ReadPart read = [&](unsigned part, const FilePart& range, PartReader reader) {
        if (reader == PartReader::kOwnThread) {
            return ChecksumPartOnOwnThread(path, opened, access, part, range, settings);
        }
        if (const unsigned long fault = InjectedFault(settings, part, PartStep::kRead)) {
            return Failed(FileReadStatus::kReadFailed, static_cast<int>(fault));
        }
        return ThroughCacheWhen(opened.refusedDirect,
                                ChecksumRange(fd, opened.direct, range.offset, range.length, buffer,
                                              part, settings, access.control, nullptr, [&] {
                                                  return ChecksumMappedRange(fd, range.offset,
                                                                             range.length,
                                                                             access.control);
                                              }));
    };
    return ChecksumInParts(opened.size, parts, read, settings);
}

}  // namespace

FileChecksum ChecksumFileWith(const std::string& path, std::vector<unsigned char>& buffer,
                              const FileAccess& access, const FilePartsSettings& settings) {
    const OpenedFile opened = OpenRegularFile(path, access.uncached, settings);
    if (access.leaveOut != nullptr && opened.failure.status == FileReadStatus::kOk) {
        FileIdentity identity;
        identity.known = true;
        identity.device = static_cast<std::uint64_t>(opened.device);
        identity.number = static_cast<std::uint64_t>(opened.inode);
        if (identity == *access.leaveOut) return Failed(FileReadStatus::kLeftOut, 0);
    }
    return ChecksumOpenedPath(path, opened, buffer, access, settings);
}

FileChecksum ChecksumFileInto(const std::string& path, std::vector<unsigned char>& buffer,
                              const FileAccess& access, Hasher& hasher) {
    const FilePartsSettings settings;
    const OpenedFile opened = OpenRegularFile(path, access.uncached, settings);
    return ChecksumOpenedPath(path, opened, buffer, access, settings, &hasher);
}

CopyPairChecksums ChecksumCopyPair(const FileToRead& source, const FileToRead& copy,
                                   unsigned maxParts, std::vector<unsigned char>& buffer,
                                   const FileAccess& access) {
    FilePartsSettings settings;
    settings.maxParts = maxParts;
    CopyPairChecksums pair;
    // Both open before either is read: the sizes found at open tell apart
    // what needs no reading. (A POSIX listing names no alternate path.)
    const OpenedFile from = OpenRegularFile(source.path, access.uncached, settings);
    const OpenedFile to = OpenRegularFile(copy.path, access.uncached, settings);
    if (from.fd.IsValid() && to.fd.IsValid() && from.size != to.size) {
        pair.sizesDiffer = true;
        pair.source.status = FileReadStatus::kOk;
        pair.source.size = from.size;
        pair.copy.status = FileReadStatus::kOk;
        pair.copy.size = to.size;
        return pair;
    }
    pair.source = ChecksumOpenedPath(source.path, from, buffer, access, settings);
    if (pair.source.status == FileReadStatus::kCancelled) return pair;
    pair.copy = ChecksumOpenedPath(copy.path, to, buffer, access, settings);
    return pair;
}

}  // namespace sumbrook
