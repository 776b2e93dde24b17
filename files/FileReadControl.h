// What the threads reading the files of one run share: the flag that stops
// them, the count of the bytes they have read, and the number of reading
// threads they may still start. Every read loop counts its bytes and looks
// at the flag once per block (or per slice of a mapping), so a stop takes
// effect within one block, also in the middle of a file of any size.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

#include "hash/Hasher.h"

namespace sumbrook {

// Also the allowance a hasher that shares a piece among threads takes its
// helpers from (hash/Hasher.h), out of the same threads.
class FileReadControl final : public HelperAllowance {
  public:
    // `cancel`: set by anyone from any thread to stop the reading (null: only
    // Stop stops it). `threads`: the reading threads the run may have at
    // once, the ones that read whole files and the ones that read parts of a
    // large file alike (0: no limit).
    explicit FileReadControl(const std::atomic<bool>* cancel = nullptr, unsigned threads = 0)
        : cancel_(cancel), spareThreads_(static_cast<int>(threads)), limited_(threads != 0) {}
    FileReadControl(const FileReadControl&) = delete;
    FileReadControl& operator=(const FileReadControl&) = delete;

    // Stops the reading as the cancel flag does.
    void Stop() { stopped_.store(true, std::memory_order_relaxed); }
    bool Stopped() const override {
        return stopped_.load(std::memory_order_relaxed) ||
               (cancel_ != nullptr && cancel_->load(std::memory_order_relaxed));
    }

    void CountBytes(std::uint64_t bytes) {
        const std::uint64_t before = bytesRead_.fetch_add(bytes, std::memory_order_relaxed);
        if (wake_ != nullptr && step_ != 0 && (before + bytes) / step_ != before / step_) {
            wake_(wakeContext_);
        }
    }

    // Each time another `step` bytes (0: never) have been read, the reading
    // thread calls the waker, so that whoever shows the progress hears of it
    // at once. Both are set before the reading threads start (the step by
    // the run, the waker by ChecksumInOrder) and the waker cleared after
    // they end.
    void SetProgressStep(std::uint64_t step) { step_ = step; }
    std::uint64_t ProgressStep() const { return step_; }
    void SetWaker(void (*wake)(void*), void* context) {
        wake_ = wake;
        wakeContext_ = context;
    }
    std::uint64_t BytesRead() const { return bytesRead_.load(std::memory_order_relaxed); }

    // Takes up to `wanted` threads from those left; how many it took.
    unsigned TakeThreads(unsigned wanted) {
        if (!limited_) return wanted;
        int spare = spareThreads_.load(std::memory_order_relaxed);
        for (;;) {
            const int taken = std::min(spare, static_cast<int>(wanted));
            if (taken <= 0) return 0;
            if (spareThreads_.compare_exchange_weak(spare, spare - taken)) {
                return static_cast<unsigned>(taken);
            }
        }
    }
    void ReturnThreads(unsigned count) {
        if (limited_) spareThreads_.fetch_add(static_cast<int>(count));
    }
    unsigned Take(unsigned wanted) override { return TakeThreads(wanted); }
    void Give(unsigned count) override { ReturnThreads(count); }

  private:
    const std::atomic<bool>* cancel_;
    std::atomic<bool> stopped_{false};
    std::atomic<std::uint64_t> bytesRead_{0};
    std::atomic<int> spareThreads_;
    bool limited_;
    std::uint64_t step_ = 0;
    void (*wake_)(void*) = nullptr;
    void* wakeContext_ = nullptr;
};

// The read loops' look at a control that may be absent (null: never stops,
// counts nothing).
inline bool ReadStopped(FileReadControl* control) {
    return control != nullptr && control->Stopped();
}
inline void CountRead(FileReadControl* control, std::uint64_t bytes) {
    if (control != nullptr) control->CountBytes(bytes);
}

// Threads taken from a control for the parts of one file, given back when
// the parts are done. Without a control, all that were wanted.
class BorrowedThreads {
  public:
    BorrowedThreads(FileReadControl* control, unsigned wanted)
        : control_(control), count_(control != nullptr ? control->TakeThreads(wanted) : wanted) {}
    ~BorrowedThreads() {
        if (control_ != nullptr) control_->ReturnThreads(count_);
    }
    BorrowedThreads(const BorrowedThreads&) = delete;
    BorrowedThreads& operator=(const BorrowedThreads&) = delete;
    unsigned Count() const { return count_; }

  private:
    FileReadControl* control_;
    unsigned count_;
};

}  // namespace sumbrook
