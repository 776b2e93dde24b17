#include "files/ReadAhead.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>

#include "files/PartThread.h"

namespace sumbrook {

namespace {

// Blocks of 1 MiB, a few of them: small enough that a block just copied is
// still in the shared cache when it is hashed, enough that the copy runs on
// while the hasher works.
constexpr std::size_t kAheadBlockSize = std::size_t{1} << 20;
constexpr std::size_t kAheadSlots = 4;

// The blocks between the reading thread and the hashing one: each slot is
// filled by the reader in turn and emptied by the hasher in the same turn.
class AheadBlocks {
  public:
    AheadBlocks(std::uint64_t offset, std::uint64_t length, const ReadBlockAt& readAt)
        : offset_(offset), length_(length), readAt_(readAt) {
        for (Slot& slot : slots_) slot.data = std::make_unique<unsigned char[]>(kAheadBlockSize);
    }

    static void ReadAll(void* context) noexcept { static_cast<AheadBlocks*>(context)->Read(); }

    // The next block, once read; its `read.got` bytes at `data`.
    struct Taken {
        const unsigned char* data = nullptr;
        BlockRead read;
    };
    Taken Take() {
        Slot& slot = slots_[taken_ % kAheadSlots];
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&slot] { return slot.full; });
        return {slot.data.get(), slot.read};
    }
    // Gives the block taken last back to the reader.
    void Release() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            slots_[taken_ % kAheadSlots].full = false;
            ++taken_;
        }
        changed_.notify_all();
    }
    // Ends the reading, at the next block at the latest.
    void Stop() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        changed_.notify_all();
    }

  private:
    struct Slot {
        std::unique_ptr<unsigned char[]> data;
        BlockRead read;
        bool full = false;
    };

    void Read() {
        std::uint64_t done = 0;
        for (std::size_t block = 0; done < length_; ++block) {
            Slot& slot = slots_[block % kAheadSlots];
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this, &slot] { return stop_ || !slot.full; });
                if (stop_) return;
            }
            const auto wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>(length_ - done, kAheadBlockSize));
            BlockRead read = readAt_(offset_ + done, slot.data.get(), wanted);
            read.got = std::min(read.got, wanted);
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                slot.read = read;
                slot.full = true;
            }
            changed_.notify_all();
            if (read.error != 0 || read.got == 0) return;
            done += read.got;
        }
    }

    const std::uint64_t offset_;
    const std::uint64_t length_;
    const ReadBlockAt& readAt_;
    std::array<Slot, kAheadSlots> slots_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stop_ = false;
    std::size_t taken_ = 0;  // blocks the hasher has taken and given back
};

// Stops the reading on every way out, before the thread is joined.
class StopOnExit {
  public:
    explicit StopOnExit(AheadBlocks& blocks) : blocks_(blocks) {}
    ~StopOnExit() { blocks_.Stop(); }
    StopOnExit(const StopOnExit&) = delete;
    StopOnExit& operator=(const StopOnExit&) = delete;

  private:
    AheadBlocks& blocks_;
};

}  // namespace

FileChecksum ChecksumReadAhead(std::uint64_t offset, std::uint64_t length, RunningDigest& digest,
                               FileReadControl* control, unsigned long noMemory, bool& started,
                               const ReadBlockAt& readAt) {
    FileChecksum result;
    started = true;
    std::unique_ptr<AheadBlocks> blocks;
    try {
        blocks = std::make_unique<AheadBlocks>(offset, length, readAt);
    } catch (const std::bad_alloc&) {
        result.status = FileReadStatus::kReadFailed;
        result.errorCode = noMemory;
        return result;
    }
    // Declared in this order so that the reading is stopped before the
    // thread is joined.
    PartThread reader;
    const StopOnExit stopOnExit(*blocks);
    if (!reader.Start(AheadBlocks::ReadAll, blocks.get())) {
        started = false;
        return result;
    }
    for (std::uint64_t done = 0; done < length;) {
        if (ReadStopped(control)) {
            result.status = FileReadStatus::kCancelled;
            return result;
        }
        const AheadBlocks::Taken block = blocks->Take();
        if (block.read.error != 0) {
            result.status = FileReadStatus::kReadFailed;
            result.errorCode = block.read.error;
            return result;
        }
        if (block.read.got == 0) {
            result.status = FileReadStatus::kEndedEarly;
            return result;
        }
        digest.Update(block.data, block.read.got);
        blocks->Release();
        done += block.read.got;
        CountRead(control, block.read.got);
    }
    result.status = FileReadStatus::kOk;
    result.size = length;
    return result;
}

}  // namespace sumbrook
