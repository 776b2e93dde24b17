#include "crc/FileCrc32.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <new>

#include "crc/Crc32.h"
#include "platform/ErrorModeGuard.h"
#include "platform/ScopedHandle.h"

namespace sumbrook {

namespace {

ScopedFileHandle OpenForReading(const std::string& path) {
    ErrorModeGuard guard(FsRedirection::kOff);
    return ScopedFileHandle(
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// Page-aligned reads into memory the platform copies into fastest.
constexpr std::size_t kReadAlignment = 4096;

// Blocks in flight while reading and checksumming overlap (see
// OverlappedChecksum): a batch that waits for the checksum, one being read,
// one spare for when the checksum falls behind for a moment.
constexpr std::size_t kOverlappedBlocks = 6;

// The aligned start of `buffer` after growing it (never shrinking) so that
// `size` bytes fit from there; null when the memory cannot be had.
unsigned char* AlignedReadBuffer(std::vector<unsigned char>& buffer, std::size_t size) noexcept {
    if (buffer.size() < size + kReadAlignment - 1) {
        try {
            buffer.resize(size + kReadAlignment - 1);
        } catch (const std::exception&) {  // no memory for it
            return nullptr;
        }
    }
    const auto address = reinterpret_cast<std::uintptr_t>(buffer.data());
    return buffer.data() + (kReadAlignment - address % kReadAlignment) % kReadAlignment;
}

// Reads exactly `size` bytes of `file` from its current position in requests
// of at most `block` bytes. `sink.Buffer()` says where the next request reads
// to, `sink.Take(count)` receives the bytes it read. Fills in the status and,
// for a failed read, the error code.
template <typename Sink>
void ReadBlocks(HANDLE file, std::uint64_t size, std::size_t block, Sink& sink,
                FileChecksum& result) {
    std::uint64_t remaining = size;
    while (remaining > 0) {
        const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(remaining, block));
        DWORD got = 0;
        if (!ReadFile(file, sink.Buffer(), wanted, &got, nullptr)) {
            result.status = FileReadStatus::kReadFailed;
            result.errorCode = GetLastError();
            return;
        }
        if (got == 0) {
            result.status = FileReadStatus::kEndedEarly;
            return;
        }
        sink.Take(got);
        remaining -= got;
    }
    result.status = FileReadStatus::kOk;
}

// Checksums each block right after it was read, into the same buffer.
class InlineChecksum {
  public:
    explicit InlineChecksum(unsigned char* data) : data_(data) {}
    unsigned char* Buffer() const { return data_; }
    void Take(DWORD count) { crc_ = Crc32Update(crc_, data_, count); }
    std::uint32_t Crc() const { return crc_; }

  private:
    unsigned char* data_;
    std::uint32_t crc_ = 0;
};

// Waits for `ready()` by spinning for up to about `microseconds`; true when
// it holds. For waits shorter than a sleep and a wake-up.
template <typename Ready>
bool SpinUntil(const Ready& ready, LONGLONG microseconds) {
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    const LONGLONG limit = frequency.QuadPart * microseconds / 1000000;
    for (unsigned spins = 1;; ++spins) {
        if (ready()) return true;
        YieldProcessor();
        if (spins % 64 == 0) {
            LARGE_INTEGER now;
            QueryPerformanceCounter(&now);
            if (now.QuadPart - start.QuadPart > limit) return ready();
        }
    }
}

// Where one thread sleeps until another has news for it. The sleeper
// announces itself before it checks `ready()` a last time, and the waker
// publishes its news before it looks for a sleeper, so a wake-up is never
// lost; a waker that finds nobody asleep costs one atomic read.
class Parking {
  public:
    // Sleeps until Unpark(), unless `ready()` already holds.
    template <typename Ready>
    void Park(const Ready& ready) {
        asleep_.store(true);
        if (!ready()) {
            AcquireSRWLockExclusive(&lock_);
            while (asleep_.load()) SleepConditionVariableSRW(&wake_, &lock_, INFINITE, 0);
            ReleaseSRWLockExclusive(&lock_);
        }
        asleep_.store(false);
    }

    // Wakes the sleeper, if there is one.
    void Unpark() {
        if (!asleep_.load()) return;
        AcquireSRWLockExclusive(&lock_);
        asleep_.store(false);
        ReleaseSRWLockExclusive(&lock_);
        WakeConditionVariable(&wake_);
    }

  private:
    std::atomic<bool> asleep_{false};
    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE wake_ = CONDITION_VARIABLE_INIT;
};

// Checksums the blocks on a thread of the process's thread pool while the
// calling thread reads the next ones into a ring of buffers. The calling
// thread makes every file call, so the file, its errors and the error mode
// stay with it; the pool thread only checksums, which cannot fail.
//
// The checksum advances a piece of a block at a time, in file order. Either
// thread checksums the next piece from the state as it stands (position and
// CRC so far) and records the result only if the state has not moved on
// meanwhile; the CRC of a piece depends on nothing else, so whoever records
// it records the same. The pool thread does this while blocks wait; the
// calling thread only when the ring is full (the pool thread has not started
// yet, or is held up by other work on its processor) and at the end. So the
// calling thread never waits for the pool thread, and a pool thread held up
// in the middle of a piece costs at most that piece twice.
//
// A pool thread that falls that far behind may still be reading a buffer the
// calling thread has read the next block into; its result is then dropped
// (the state has moved on). At the end the calling thread waits until the
// pool thread is out of its piece, so that the ring is the caller's again;
// the callback may return a moment later, which is why the state the two
// share lives until both are done with it.
//
// Costs that shape it, measured under Wine: starting and ending a thread of
// our own costs about a millisecond, handing work to a pooled one some
// microseconds; waking a sleeping thread costs about a tenth of reading a
// block. So the pool thread, faster than the reads, is woken only once
// kBlocksPerWake blocks wait, and checksums them in one go. Neither thread
// spins for long: on a busy machine the other one may need that processor.
class OverlappedChecksum {
  public:
    OverlappedChecksum() = default;
    OverlappedChecksum(const OverlappedChecksum&) = delete;
    OverlappedChecksum& operator=(const OverlappedChecksum&) = delete;
    ~OverlappedChecksum() { Finish(); }

    // Grows `buffer` to the ring and hands the checksum to the pool; false
    // when that cannot be done.
    bool Start(std::vector<unsigned char>& buffer) {
        unsigned char* const first =
            AlignedReadBuffer(buffer, kOverlappedBlocks * kFileReadBlockSize);
        if (first == nullptr) return false;
        shared_ = new (std::nothrow) Shared(first);
        if (shared_ == nullptr) return false;
        work_ = CreateThreadpoolWork(&Shared::Run, shared_, nullptr);
        if (work_ == nullptr) {
            delete shared_;
            shared_ = nullptr;
            return false;
        }
        shared_->users.fetch_add(1);  // the callback's
        SubmitThreadpoolWork(work_);
        return true;
    }

    // The buffer for the next block: a free one, after checksumming the
    // oldest block here if the pool thread has not.
    unsigned char* Buffer() {
        Shared& shared = *shared_;
        const std::uint64_t read = shared.read.load(std::memory_order_relaxed);
        while (read - shared.blocksDone.load() >= kOverlappedBlocks) shared.Advance();
        return shared.Block(read);
    }

    // Hands the first `count` bytes of the buffer last given out to the checksum.
    void Take(DWORD count) {
        Shared& shared = *shared_;
        const std::uint64_t read = shared.read.load(std::memory_order_relaxed);
        shared.counts[read % kOverlappedBlocks].store(count, std::memory_order_relaxed);
        shared.read.store(read + 1);
        if (read + 1 - shared.blocksDone.load() >= kBlocksPerWake) shared.poolThread.Unpark();
    }

    // The checksum of every block handed over.
    std::uint32_t Crc() {
        while (shared_->Advance()) {
        }
        const std::uint32_t crc = shared_->Crc();
        Finish();
        return crc;
    }

  private:
    static constexpr std::uint64_t kBlocksPerWake = 4;
    static_assert(kOverlappedBlocks > kBlocksPerWake, "a buffer to read into while waking");

    // What both threads use; it lives until both are done with it, since the
    // callback may run, or end, after the call has returned.
    struct Shared {
        static_assert(std::atomic<std::uint64_t>::is_always_lock_free, "counters are polled");

        explicit Shared(unsigned char* first) : first(first) {}

        // The buffer of the block with this number, counted from the file's start.
        unsigned char* Block(std::uint64_t number) const {
            return first +
                   static_cast<std::size_t>(number % kOverlappedBlocks) * kFileReadBlockSize;
        }

        // Checksums the piece the checksum stands at and records it, unless
        // another thread recorded it first; false when no block is there.
        bool Advance() {
            AcquireSRWLockExclusive(&lock);
            const std::uint64_t piece = piecesDone;
            const std::uint32_t start = crc;
            ReleaseSRWLockExclusive(&lock);

            const std::uint64_t block = piece / kPiecesPerBlock;
            if (block >= read.load()) return false;
            const DWORD count = counts[block % kOverlappedBlocks].load(std::memory_order_relaxed);
            const std::size_t offset = static_cast<std::size_t>(piece % kPiecesPerBlock) * kPiece;
            // A stale count (the buffer read anew meanwhile) makes a wrong
            // piece, but one within the buffer, whose result is dropped below.
            const std::size_t length =
                offset < count ? std::min<std::size_t>(count - offset, kPiece) : kPiece;
            const std::uint32_t end = Crc32Update(start, Block(block) + offset, length);
            const std::uint64_t next =
                offset + length >= count ? (block + 1) * kPiecesPerBlock : piece + 1;

            AcquireSRWLockExclusive(&lock);
            if (piecesDone == piece) {
                piecesDone = next;
                crc = end;
                blocksDone.store(next / kPiecesPerBlock);
            }
            ReleaseSRWLockExclusive(&lock);
            return true;
        }

        std::uint32_t Crc() {
            AcquireSRWLockExclusive(&lock);
            const std::uint32_t value = crc;
            ReleaseSRWLockExclusive(&lock);
            return value;
        }

        void Release() {
            if (users.fetch_sub(1) == 1) delete this;
        }

        // The callback tells the pool at once that nobody need wait for it:
        // the calling thread waits only for a callback that has not started.
        static void CALLBACK Run(PTP_CALLBACK_INSTANCE instance, void* self, PTP_WORK /*work*/) {
            auto* shared = static_cast<Shared*>(self);
            shared->entered.store(true);
            DisassociateCurrentThreadFromCallback(instance);
            shared->ChecksumBlocks();
            shared->Release();
        }

        // On the pool thread: checksums the blocks waiting, sleeps until
        // more wait, until told to stop. Marks each piece with `inPiece`,
        // set before it looks at `stop`, so that the calling thread knows
        // when it no longer touches the ring; wakes the calling thread when
        // it may be waiting for that.
        void ChecksumBlocks() {
            const auto hasWork = [this] { return stop.load() || blocksDone.load() < read.load(); };
            for (;;) {
                while (!hasWork()) poolThread.Park(hasWork);
                inPiece.store(true);
                const bool stopped = stop.load();
                if (!stopped) Advance();
                inPiece.store(false);
                if (stop.load()) {
                    reader.Unpark();
                    return;
                }
            }
        }

        static constexpr std::size_t kPiece = 256 * 1024;
        static constexpr std::uint64_t kPiecesPerBlock = kFileReadBlockSize / kPiece;
        static_assert(kFileReadBlockSize % kPiece == 0, "whole pieces per block");

        unsigned char* const first;                                  // the ring's first block
        std::array<std::atomic<DWORD>, kOverlappedBlocks> counts{};  // bytes in each buffer
        std::atomic<std::uint64_t> read{0};                          // blocks handed over
        std::atomic<std::uint64_t> blocksDone{0};                    // blocks checksummed
        SRWLOCK lock = SRWLOCK_INIT;                                 // over the next two
        std::uint64_t piecesDone = 0;
        std::uint32_t crc = 0;
        std::atomic<bool> stop{false};
        std::atomic<bool> inPiece{false};  // the pool thread may read the ring
        std::atomic<bool> entered{false};  // the callback has started
        std::atomic<int> users{1};
        Parking poolThread;  // where the pool thread waits for blocks
        Parking reader;      // where the calling thread waits for it to leave the ring
    };

    // Stops the pool thread (cancels the callback if it has not started) and
    // waits until it no longer touches the ring: for the rest of a piece.
    void Finish() {
        if (shared_ == nullptr) return;
        Shared& shared = *shared_;
        shared.stop.store(true);
        shared.poolThread.Unpark();
        WaitForThreadpoolWorkCallbacks(work_, TRUE);
        if (!shared.entered.load()) shared.Release();
        CloseThreadpoolWork(work_);
        const auto outOfPiece = [&] { return !shared.inPiece.load(); };
        if (!SpinUntil(outOfPiece, kPieceMicroseconds)) shared.reader.Park(outOfPiece);
        shared.Release();
        shared_ = nullptr;
    }

    // Long enough to checksum one piece, with room to spare.
    static constexpr LONGLONG kPieceMicroseconds = 50;

    Shared* shared_ = nullptr;
    PTP_WORK work_ = nullptr;
};

// Two threads can run at once: the process may use more than one processor.
// On one, the pool thread could only take turns with the calling thread.
bool SeveralProcessors() {
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask)) return false;
    return (processMask & (processMask - 1)) != 0;
}

// Reads and checksums `size` bytes with the help of a pool thread, when two
// threads can run at once, the buffer can hold the ring and the pool takes
// the work; false (with nothing read) otherwise.
bool ChecksumOverlapped(HANDLE file, std::uint64_t size, std::vector<unsigned char>& buffer,
                        FileChecksum& result) {
    if (!SeveralProcessors()) return false;
    OverlappedChecksum checksum;
    if (!checksum.Start(buffer)) return false;
    ReadBlocks(file, size, kFileReadBlockSize, checksum, result);
    if (result.status == FileReadStatus::kOk) result.crc = checksum.Crc();
    return true;
}

// ChecksumFile, with files larger than `overlapAbove` read while a pool
// thread checksums.
FileChecksum ChecksumFileOverlappingAbove(const std::string& path,
                                          std::vector<unsigned char>& buffer,
                                          std::uint64_t overlapAbove) {
    FileChecksum result;
    ScopedFileHandle file = OpenForReading(path);
    if (!file.IsValid()) {
        result.errorCode = GetLastError();
        return result;
    }

    ErrorModeGuard guard(FsRedirection::kOff);
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        result.status = FileReadStatus::kNotADiskFile;
        return result;
    }
    LARGE_INTEGER fileSize;
    if (!GetFileSizeEx(file.Get(), &fileSize)) {
        result.status = FileReadStatus::kSizeFailed;
        result.errorCode = GetLastError();
        return result;
    }
    const auto size = static_cast<std::uint64_t>(fileSize.QuadPart);

    if (size <= overlapAbove || !ChecksumOverlapped(file.Get(), size, buffer, result)) {
        const std::size_t block =
            static_cast<std::size_t>(std::min<std::uint64_t>(size, kFileReadBlockSize));
        unsigned char* const data = AlignedReadBuffer(buffer, block);
        if (data == nullptr) {
            result.status = FileReadStatus::kReadFailed;
            result.errorCode = ERROR_NOT_ENOUGH_MEMORY;
            return result;
        }
        InlineChecksum checksum(data);
        ReadBlocks(file.Get(), size, block, checksum, result);
        if (result.status == FileReadStatus::kOk) result.crc = checksum.Crc();
    }
    if (result.status == FileReadStatus::kOk) result.size = size;
    return result;
}

}  // namespace

FileChecksum ChecksumFile(const std::string& path, std::vector<unsigned char>& buffer) {
    return ChecksumFileOverlappingAbove(path, buffer, kOverlappedReadThreshold);
}

std::string FileCrc32(const std::string& path) {
    std::vector<unsigned char> buffer;
    const FileChecksum checksum =
        ChecksumFileOverlappingAbove(path, buffer, kOneOffOverlappedReadThreshold);
    return checksum.status == FileReadStatus::kOk ? Crc32Text(checksum.crc) : kNoCrc32Text;
}

}  // namespace sumbrook
