// ChecksumFile on POSIX systems: regular files only, read to exactly the
// size found at the first open, every path through the one read loop
// (files/BlockReadLoop.h). Small files are read with pread through the
// caller's reused buffer; from kMappedReadThreshold on a file is mapped and
// hashed in place (see kMappedReadThreshold and kCachedReadBlockSize for the
// figures that chose it: where copies outpace a mapping of small pages, the
// rest of a window whose pages map slowly is copied in blocks), one window
// at a time (MapWindowFor; read with pread instead where a window cannot be
// mapped) and in slices between which the run's control is looked at; a
// large file's CRC-32 in parts, the calling thread's through the first
// descriptor, each other part's through one of its own that must name the
// file first opened (a file renamed over the path meanwhile fails with
// ESTALE). A mapped file that shrinks while it is read
// raises SIGBUS on the vanished pages, in whichever thread touches them (a
// hasher that shares its pieces out touches its reader's window from its
// own threads); the handler puts zeros in their place, so the access goes
// on, and the range is reported as kEndedEarly. Uncached reads go through
// descriptors opened with O_DIRECT into an aligned buffer, never through a
// mapping, which would fill the cache.
#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

#include "files/AlignedRangeRead.h"
#include "files/BlockReadLoop.h"
#include "files/CopyPairChecksum.h"
#include "files/FileChecksum.h"
#include "files/FileChecksumParts.h"
#include "files/FileChecksumPosix.h"
#include "files/FileReadControl.h"
#include "files/RunningDigest.h"
#include "platform/ProcessorMaker.h"

namespace sumbrook {

namespace {

// The windows mapped at the time, whoever reads them: a hasher that shares
// its pieces (BLAKE3, a set of digests) touches its reader's window from
// threads of its own. A slot is taken by its begin (null: free), and tells
// whether pages of it vanished (the file shrank) since it was mapped.
struct MappedWindowSlot {
    std::atomic<unsigned char*> begin{nullptr};
    std::atomic<unsigned char*> end{nullptr};
    std::atomic<int> vanished{0};
};
constexpr std::size_t kWindowSlots = 64;
MappedWindowSlot g_windows[kWindowSlots];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previousSigbus;

// A free slot for the window [begin, end), or null when all are taken.
MappedWindowSlot* HoldWindow(unsigned char* begin, unsigned char* end) {
    for (MappedWindowSlot& slot : g_windows) {
        unsigned char* expected = nullptr;
        if (slot.begin.compare_exchange_strong(expected, begin)) {
            slot.vanished = 0;
            slot.end = end;
            return &slot;
        }
    }
    return nullptr;
}

void OnSigbus(int signal, siginfo_t* info, void* context) {
    auto* address = static_cast<unsigned char*>(info->si_addr);
    for (MappedWindowSlot& slot : g_windows) {
        unsigned char* const begin = slot.begin.load();
        unsigned char* const end = slot.end.load();
        if (begin == nullptr || end == nullptr || address < begin || address >= end) continue;
        // Zeros over the rest of the window: the hasher reads on to the end
        // of its slice, and the read loop hears of it after. (A mapping
        // replaced in one call: the other threads on the window read either.)
        unsigned char* page = address - reinterpret_cast<std::uintptr_t>(address) % g_pageSize;
        void* zeros = mmap(page, static_cast<std::size_t>(end - page), PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            slot.vanished = 1;
            return;
        }
        break;
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
        g_pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = OnSigbus;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        sigaction(SIGBUS, &action, &g_previousSigbus);
    });
}

// How a window's pages are looked at where the caller does not say (see
// kCachedReadBlockSize): timed as they come in, where the kernel can bring a
// range into a mapping at once.
#ifdef MADV_POPULATE_READ
constexpr PageProbe kDefaultPageProbe = PageProbe::kMeasured;
#else
constexpr PageProbe kDefaultPageProbe = PageProbe::kNone;
#endif

// kDefaultPageProbe on AMD's processors (kCachedReadBlockSize: on family 26
// model 2 a page mapped costs a trip out of the guest). On Intel's, only for
// the kinds whose rows say so (probedOnIntel, hash/DigestKindTable.h, has
// the figures); the others, CRC-32, and a hasher that shares its pieces out
// hash every window mapped. On family 6 model 167 (AVX-512, 2 cores), a
// cached 1 GiB file held in small folios came into a mapping at 40-80 us a
// MiB, slow to the probe, which had it copied; yet mapped, BLAKE3 with both
// cores took 0.171 s against 0.340 s probed (b3sum 0.155; medians of 5
// alternated runs), and with one 0.260 against 0.300 (b3sum 0.257). In large
// folios the probe's timing scattered enough to have a window copied now and
// then: BLAKE3 with one core 0.212 s unprobed against 0.221 probed (b3sum
// 0.208). Nor are a sharing hasher's slices brought into the mapping first
// there (Mapped).
PageProbe DefaultPageProbe(const Hasher* hasher) {
    if (!ThisProcessor().intel) return kDefaultPageProbe;
    if (hasher == nullptr || hasher->SharesPieces() || !hasher->ProbesMappedPagesOnIntel()) {
        return PageProbe::kNone;
    }
    return kDefaultPageProbe;
}

// Bytes of a window probed: one slice. A 2 MiB folio came into a mapping in
// 2-3 us at once, where 256 KiB of it took 3 us, too close to a quarter of
// its copy (6.5 us) to stand the noise of a shared machine. The first
// kProbeLead of them come in alone: a range in small folios takes 40-45 us
// there, and more than the whole slice's allowance ends the probe, sparing
// the rest of its 170 us (a probe comes about once in 128 MiB of such a
// file: 1 ms a GiB). Not twice the lead's share: on family 26 model 2,
// where a call into the kernel takes 7 us, 7% of the leads of large folios
// took 35-40 us.
constexpr std::size_t kProbedBytes = kMappedSliceSize;
constexpr std::size_t kProbeLead = kProbedBytes / 4;

// How many of the bytes from `begin` on are in the mapping, and whether
// `length` of them came in within a quarter of a copy's time
// (kCheapMappingBytesPerMicrosecond): only where the cache holds the range in
// large folios, which one page-table entry or a few map at once (see
// kCachedReadBlockSize). A kernel without MADV_POPULATE_READ, a range not in
// the cache or past the end of the file, a thread preempted meanwhile: all
// are slow, and slow means copied.
struct ProbedPages {
    std::size_t mapped = 0;
    bool cheap = false;
};
ProbedPages PagesMapCheaply(const unsigned char* begin, std::size_t length) {
    ProbedPages probed;
#ifdef MADV_POPULATE_READ
    const auto allowed = [](std::size_t bytes) {
        return std::chrono::microseconds(bytes / kCheapMappingBytesPerMicrosecond);
    };
    const auto start = std::chrono::steady_clock::now();
    const std::size_t lead = std::min(length, kProbeLead);
    auto* const bytes = const_cast<unsigned char*>(begin);
    if (madvise(bytes, lead, MADV_POPULATE_READ) != 0) return probed;
    probed.mapped = lead;
    if (std::chrono::steady_clock::now() - start > allowed(length)) return probed;
    if (lead < length && madvise(bytes + lead, length - lead, MADV_POPULATE_READ) != 0) {
        return probed;
    }
    probed.mapped = length;
    probed.cheap = std::chrono::steady_clock::now() - start < allowed(length);
#else
    (void)begin;
    (void)length;
#endif
    return probed;
}

// Up to `wanted` bytes at `position` of `fd` (a read broken by a signal is
// made again) into `data`.
BlockRead PreadBlock(int fd, unsigned char* data, std::size_t wanted, std::uint64_t position) {
    BlockRead read;
    read.data = data;
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

// Hands `length` bytes of `fd` from `offset` on to `digest`, block by block
// of kCachedReadBlockSize into the page-aligned part of `buffer` (grown to
// hold that): see kCachedReadBlockSize for what a copy to an unaligned
// address costs.
FileChecksum ChecksumByReading(int fd, std::uint64_t offset, std::uint64_t length,
                               RunningDigest& digest, std::vector<unsigned char>& buffer,
                               FileReadControl* control) {
    const auto block =
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kCachedReadBlockSize));
    unsigned char* data = nullptr;
    try {
        data = AlignedReadBuffer(buffer, block);
    } catch (const std::bad_alloc&) {
        FileChecksum failed;
        failed.status = FileReadStatus::kReadFailed;
        failed.errorCode = ENOMEM;
        return failed;
    }
    return ReadBlocks(offset, length, block, control, digest,
                      [fd, data](std::uint64_t position, std::size_t wanted) {
                          return PreadBlock(fd, data, wanted, position);
                      });
}

// The read-a-block of a mapped range: each block lies in the window mapped
// last, or a new window is mapped from there; where no window can be mapped
// (no address space, a file that cannot be mapped), the rest is read with
// pread into a buffer of its own. Probed windows whose pages map slowly are
// copied with pread instead (Probed).
class MappedWindows {
  public:
    // `shared`: the blocks go to a hasher that shares them out among threads.
    MappedWindows(int fd, std::uint64_t end, std::uint64_t window, PageProbe probe, bool shared)
        : fd_(fd),
          end_(end),
          window_(window),
          probe_(probe),
          copyBlock_(shared ? kSharedCopyBlockSize : kCachedReadBlockSize),
          shared_(shared) {}
    ~MappedWindows() { Unmap(); }
    MappedWindows(const MappedWindows&) = delete;
    MappedWindows& operator=(const MappedWindows&) = delete;

    BlockRead At(std::uint64_t position, std::size_t wanted) {
        if (Vanished()) return BlockRead();
        if (reading_) return ReadAt(position, wanted);
        if (position < copiedUntil_) return CopyAt(position, wanted);
        if (mapping_ == nullptr || position < start_ || position >= start_ + length_) {
            Unmap();
            const std::uint64_t start = position - position % g_pageSize;
            const auto length = static_cast<std::size_t>(
                std::min<std::uint64_t>(end_ - position, window_) + (position - start));
            void* mapping =
                mmap(nullptr, length, PROT_READ, MAP_SHARED, fd_, static_cast<off_t>(start));
            if (mapping == MAP_FAILED) return StartReading(position, wanted);
            slot_ = HoldWindow(static_cast<unsigned char*>(mapping),
                               static_cast<unsigned char*>(mapping) + length);
            if (slot_ == nullptr) {
                // No slot: a shrinking file could not be told from a fault.
                munmap(mapping, length);
                return StartReading(position, wanted);
            }
            madvise(mapping, length, MADV_SEQUENTIAL);
            mapping_ = static_cast<unsigned char*>(mapping);
            start_ = start;
            length_ = length;
            probeDue_ = true;
        }
        if (probe_ != PageProbe::kNone && (probeDue_ || !shared_)) return Probed(position, wanted);
        return Mapped(position, wanted, 0);
    }

    // Whether the file no longer held every byte handed over.
    bool Vanished() const { return vanished_ || (slot_ != nullptr && slot_->vanished != 0); }

  private:
    // The rest of the range read with pread, from `position` on.
    BlockRead StartReading(std::uint64_t position, std::size_t wanted) {
        if (!HoldBuffer(kMappedSliceSize)) return NoMemory();
        reading_ = true;
        return ReadAt(position, wanted);
    }

    // data_ set to the page-aligned part of buffer_, grown to hold `size`
    // bytes; false when no memory.
    bool HoldBuffer(std::size_t size) {
        if (held_ >= size) return true;
        try {
            data_ = AlignedReadBuffer(buffer_, size);
            held_ = size;
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    static BlockRead NoMemory() {
        BlockRead failed;
        failed.error = ENOMEM;
        return failed;
    }

    // A slice may be larger than the buffer: the read loop takes what comes.
    BlockRead ReadAt(std::uint64_t position, std::size_t wanted) {
        return PreadBlock(fd_, data_, std::min(wanted, kMappedSliceSize), position);
    }

    // A block of the window, its first kProbedBytes timed as they come into
    // the mapping: every block is, since the cache may hold a file's first
    // 2 MiB in one large folio and the next ones in small folios (shared
    // out: the first of the window, and the first after a copied stretch).
    // Pages that came in cheaply are handed over with the rest of the
    // block, mapped; else as far as they came in, and the window's rest is
    // copied, and so are the windows after it, one, three, then seven of
    // them while the probes keep finding slow pages (a file the cache holds
    // in small folios pays a probe's mapping about once in 128 MiB).
    BlockRead Probed(std::uint64_t position, std::size_t wanted) {
        const std::uint64_t windowEnd = start_ + length_;
        const auto probed = static_cast<std::size_t>(
            std::min<std::uint64_t>({wanted, kProbedBytes, windowEnd - position}));
        const unsigned char* data = mapping_ + (position - start_);
        ProbedPages pages;
        if (probe_ == PageProbe::kMeasured) {
            pages = PagesMapCheaply(data, probed);
            // A window's first pages bring its page tables in too: 95-121 us
            // there on family 26 model 2, where the next 2 MiB of large
            // folios took 34-56. Shared out, where a slow probe has a whole
            // slice copied, a slow first one is taken again past them.
            const std::uint64_t beyond = position + pages.mapped;
            const bool windowStart = position - start_ < g_pageSize;
            if (shared_ && windowStart && !pages.cheap && pages.mapped > 0 && beyond < windowEnd) {
                const ProbedPages again = PagesMapCheaply(
                    data + pages.mapped, static_cast<std::size_t>(std::min<std::uint64_t>(
                                             kProbedBytes, windowEnd - beyond)));
                pages.mapped += again.mapped;
                pages.cheap = again.cheap;
            }
        }
        // Shared out, the slices of a window after a cheap one are not
        // probed: pages brought into a mapping while the helpers hash came
        // in at a third of the speed (family 26 model 2).
        probeDue_ = !pages.cheap;
        if (pages.cheap) {
            slowProbes_ = 0;
        } else {
            const std::uint64_t skipped = (std::uint64_t{1} << std::min(slowProbes_, 3U)) - 1;
            // Shared out, a block is a slice of one mapping of the file.
            const std::uint64_t unit = shared_ ? wanted : window_;
            const std::uint64_t unitEnd = shared_ ? position + wanted : windowEnd;
            copiedUntil_ = std::min(end_, unitEnd + skipped * unit);
            ++slowProbes_;
        }
        if (pages.mapped == 0) return CopyAt(position, wanted);
        if (pages.cheap) return Mapped(position, wanted, pages.mapped);
        BlockRead read;
        read.data = data;
        read.got = std::min(pages.mapped, wanted);
        read.mapped = true;
        return read;
    }

    // Up to `wanted` bytes of the window from `position` on, mapped. Shared
    // out, they are brought into the mapping at once, past the `populated`
    // first of them: the helpers' pieces lie side by side in the same large
    // folios, and a thread faulting on a folio while another did slept for
    // its lock (family 26 model 2, BLAKE3 of a 1 GiB file with both cores:
    // 255 context switches, 42 brought in first; 0.89 to 0.99 of b3sum's
    // speed). Not on Intel's processors, where the threads bring their own
    // pieces in side by side: on family 6 model 167 a slice of 64 MiB took
    // 1.3-3.7 ms to come in, alone on one core while the others waited, and
    // BLAKE3 of a 1 GiB file with both cores 0.183 s, 0.168 without (b3sum
    // 0.166; medians of 7 alternated runs, a file in folios of both sizes).
    BlockRead Mapped(std::uint64_t position, std::size_t wanted, std::size_t populated) {
        BlockRead read;
        read.data = mapping_ + (position - start_);
        read.got =
            static_cast<std::size_t>(std::min<std::uint64_t>(wanted, start_ + length_ - position));
        read.mapped = true;
#ifdef MADV_POPULATE_READ
        if (shared_ && read.got > populated && !ThisProcessor().intel) {
            madvise(const_cast<unsigned char*>(read.data) + populated, read.got - populated,
                    MADV_POPULATE_READ);
        }
#else
        (void)populated;
#endif
        return read;
    }

    // A block of the window's rest, copied into a buffer that stays in the
    // cache until hashed; a window left behind is unmapped.
    BlockRead CopyAt(std::uint64_t position, std::size_t wanted) {
        if (mapping_ != nullptr && position >= start_ + length_) Unmap();
        if (!HoldBuffer(copyBlock_)) return NoMemory();
        const auto asked = static_cast<std::size_t>(
            std::min<std::uint64_t>({wanted, copyBlock_, copiedUntil_ - position}));
        return PreadBlock(fd_, data_, asked, position);
    }

    void Unmap() {
        if (mapping_ == nullptr) return;
        if (slot_->vanished != 0) vanished_ = true;
        slot_->end = nullptr;
        slot_->begin = nullptr;
        slot_ = nullptr;
        munmap(mapping_, length_);
        mapping_ = nullptr;
    }

    const int fd_;
    const std::uint64_t end_;
    const std::uint64_t window_;
    const PageProbe probe_;
    const std::size_t copyBlock_;  // a copied block's most
    const bool shared_;
    std::uint64_t copiedUntil_ = 0;  // below it, blocks are copied, not mapped
    unsigned slowProbes_ = 0;        // in a row
    bool probeDue_ = false;          // shared out: the next slice mapped is probed
    unsigned char* mapping_ = nullptr;
    std::uint64_t start_ = 0;
    std::size_t length_ = 0;
    bool reading_ = false;
    MappedWindowSlot* slot_ = nullptr;
    bool vanished_ = false;
    std::vector<unsigned char> buffer_;
    unsigned char* data_ = nullptr;  // the page-aligned part of buffer_
    std::size_t held_ = 0;           // bytes from data_ on
};

}  // namespace

FileChecksum ChecksumMappedRange(int fd, std::uint64_t offset, std::uint64_t length,
                                 FileReadControl* control, Hasher* hasher, PageProbe probe) {
    InstallSigbusHandler();
    RunningDigest digest(hasher);
    FileChecksum result;
    bool vanished = false;
    {
        MappedWindows windows(fd, offset + length, MapWindowFor(hasher), probe,
                              hasher != nullptr && hasher->SharesPieces());
        result = ReadBlocks(offset, length, MappedSliceFor(hasher), control, digest,
                            [&windows](std::uint64_t position, std::size_t wanted) {
                                return windows.At(position, wanted);
                            });
        vanished = windows.Vanished();
    }
    if (vanished &&
        (result.status == FileReadStatus::kOk || result.status == FileReadStatus::kEndedEarly)) {
        result = FileChecksum();
        result.status = FileReadStatus::kEndedEarly;
    }
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

// Checksums `length` bytes from `offset` on through a descriptor opened past
// the cache. A refusal of the file system is kReadFailed with EINVAL.
FileChecksum ChecksumDirectRange(int fd, std::uint64_t offset, std::uint64_t length,
                                 std::vector<unsigned char>& buffer, FileReadControl* control,
                                 Hasher* hasher) {
    return ChecksumAlignedRange(offset, length, buffer, ENOMEM, control, hasher,
                                [fd](std::uint64_t start, unsigned char* data, std::size_t wanted) {
                                    const BlockRead read = PreadBlock(fd, data, wanted, start);
                                    return AlignedRead{read.got, read.error};
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
                                                                         access.control, nullptr,
                                                                         DefaultPageProbe(nullptr));
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
    if (ReadsMapped(file.size)) {
        return ChecksumMappedRange(file.fd.Get(), 0, file.size, control, hasher,
                                   DefaultPageProbe(hasher));
    }
    RunningDigest digest(hasher);
    return ChecksumByReading(file.fd.Get(), 0, file.size, digest, buffer, control);
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
    AllowHashingHelpers(hasher, opened.size, settings, access.control);
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
                                                  return ChecksumMappedRange(
                                                      fd, range.offset, range.length,
                                                      access.control, nullptr,
                                                      DefaultPageProbe(nullptr));
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
