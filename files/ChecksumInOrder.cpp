#include "files/ChecksumInOrder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

#include "files/FileChecksumParts.h"
#include "platform/SpreadThread.h"

namespace sumbrook {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kIdleInterval = std::chrono::milliseconds(2);
// How long the caller sleeps before it looks for results again: 1 ms after a
// result came, twice as long after each look that found none, up to 16 ms.
// The readers wake it only for the last file, so that many small files do not
// cost a wake-up each, and a long wait for a large file costs few; rows and
// a stop come at most this late. A step of progress (FileReadControl's
// SetProgressStep) wakes it at once.
constexpr auto kFirstCollectWait = std::chrono::milliseconds(1);
constexpr auto kLongestCollectWait = std::chrono::milliseconds(16);
// The results taken at once: a look at the clock and a stop between them.
constexpr std::size_t kResultsPerTake = 64;

// The results read ahead of the one delivered next, shared between the
// reading threads and the caller: a ring of at most kResultsAhead of them.
// It starts at kFirstResultSlots and doubles only when a reader would
// otherwise wait for room: a place is memory the run touches before its
// first file is read, and a page of new memory took 10-11 us to come in on
// AMD EPYC family 26 model 2 (2 us on family 25 model 1), so a ring of
// 10,000 places made at once cost --verify of 10,000 small files 2.4 ms
// before any reader started, where readers that keep up with the caller
// stay within a few hundred places.
class ResultBoard {
  public:
    explicit ResultBoard(std::size_t count)
        : count_(count),
          results_(std::min(count, kFirstResultSlots)),
          done_(std::min(count, kFirstResultSlots), false) {}

    // Waits until the result of `index` has a place; false when the board
    // was closed meanwhile.
    bool WaitForRoom(std::size_t index) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (!closed_ && index >= taken_ + results_.size()) {
            if (Grow()) continue;
            // The caller may be asleep: the ring is full.
            posted_.notify_one();
            room_.wait(lock);
        }
        return !closed_;
    }

    void Post(std::size_t index, const FileChecksum& checksum) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            results_[index % results_.size()] = checksum;
            done_[index % results_.size()] = true;
        }
        if (index + 1 == count_) posted_.notify_one();
    }

    // Wakes the caller, as a step of progress does.
    static void Nudge(void* board) { static_cast<ResultBoard*>(board)->posted_.notify_one(); }

    // Waits up to `wait` for the result of `index`, the next to be taken;
    // then takes it and those after it that are done too, at most `most`,
    // into `results` (emptied first). False when `index` is not done yet.
    // One lock for many small files' results, rather than one each.
    bool TakeSoon(std::size_t index, std::vector<FileChecksum>& results, std::size_t most,
                  std::chrono::milliseconds wait) {
        results.clear();
        std::unique_lock<std::mutex> lock(mutex_);
        if (!done_[index % done_.size()]) {
            posted_.wait_for(lock, wait);
            if (!done_[index % done_.size()]) return false;
        }
        for (std::size_t at = index; at < count_ && results.size() < most; ++at) {
            const std::size_t slot = at % done_.size();
            if (!done_[slot]) break;
            results.push_back(results_[slot]);
            done_[slot] = false;
        }
        taken_ = index + results.size();
        room_.notify_all();
        return true;
    }

    // Wakes every reader waiting for room, for good.
    void Close() {
        const std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        room_.notify_all();
    }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::condition_variable room_;
    std::size_t count_;
    std::vector<FileChecksum> results_;
    std::vector<bool> done_;
    std::size_t taken_ = 0;  // results taken so far
    bool closed_ = false;

    // Doubles the ring (under the lock), each result at its index's place
    // in the larger one; false when it is as large as it may be, or memory
    // for a larger one is lacking.
    bool Grow() {
        const std::size_t old = results_.size();
        const std::size_t size = std::min({old * 2, count_, kResultsAhead});
        if (size <= old) return false;
        try {
            std::vector<FileChecksum> results(size);
            std::vector<bool> done(size, false);
            // The ring holds the indexes from taken_ on, one per place.
            for (std::size_t at = taken_; at < taken_ + old; ++at) {
                results[at % size] = results_[at % old];
                done[at % size] = done_[at % old];
            }
            results_.swap(results);
            done_.swap(done);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
};

// Joins the reading threads on every way out, after telling them to stop:
// between files, and within the file they read unless the run is Finished.
class ReaderThreads {
  public:
    ReaderThreads(std::atomic<bool>& stop, FileReadControl& control, ResultBoard& board)
        : stop_(stop), control_(control), board_(board) {}
    ~ReaderThreads() {
        stop_ = true;
        if (!finished_) control_.Stop();
        board_.Close();
        for (SpreadThread& thread : threads_) thread.join();
    }
    // Every file was taken by a reader: they end on their own.
    void Finished() { finished_ = true; }
    ReaderThreads(const ReaderThreads&) = delete;
    ReaderThreads& operator=(const ReaderThreads&) = delete;

    template <typename Work>
    bool Start(Work work) {
        try {
            threads_.emplace_back(static_cast<unsigned>(threads_.size()), work);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }
    std::size_t Count() const { return threads_.size(); }

  private:
    std::atomic<bool>& stop_;
    FileReadControl& control_;
    ResultBoard& board_;
    bool finished_ = false;
    std::vector<SpreadThread> threads_;
};

// `read`, with a lack of memory reported as a failed read rather than ending
// the thread and the program; the same on every number of jobs.
FileChecksum ReadGuarded(const ReadFileAt& read, std::size_t index, unsigned parts,
                         std::vector<unsigned char>& buffer) {
    try {
        return read(index, parts, buffer);
    } catch (const std::bad_alloc&) {
        FileChecksum failed;
        failed.status = FileReadStatus::kReadFailed;
        return failed;
    }
}

bool ChecksumOneByOne(std::size_t count, const DeliverChecksum& deliver,
                      const std::function<void()>& idle, const ReadFileAt& read,
                      FileReadControl& control) {
    std::vector<unsigned char> buffer;
    auto lastIdle = Clock::now();
    for (std::size_t index = 0; index < count; ++index) {
        if (control.Stopped()) return false;
        const FileChecksum checksum = ReadGuarded(read, index, 1, buffer);
        if (checksum.status == FileReadStatus::kCancelled || control.Stopped()) return false;
        deliver(index, checksum);
        if (idle && Clock::now() - lastIdle >= kIdleInterval) {
            idle();
            lastIdle = Clock::now();
        }
    }
    return true;
}

}  // namespace

bool ChecksumInOrder(const std::vector<FileToRead>& files, unsigned jobs,
                     const DeliverChecksum& deliver, const std::function<void()>& idle,
                     const ReadOneFile& readOrDefault, FileReadControl* runControl) {
    ReadOneFile read = readOrDefault;
    FileReadControl ownControl(nullptr, std::max(std::max(jobs, 1U), UsableProcessorCount()));
    FileReadControl* control = runControl != nullptr ? runControl : &ownControl;
    if (!read) read = PerThreadUtf8Reader(false, control);
    return ChecksumInOrder(
        files.size(), jobs, deliver, idle,
        [&](std::size_t index, unsigned parts, std::vector<unsigned char>& buffer) {
            return read(files[index], parts, buffer);
        },
        control);
}

bool ChecksumInOrder(std::size_t count, unsigned jobs, const DeliverChecksum& deliver,
                     const std::function<void()>& idle, const ReadFileAt& read,
                     FileReadControl* runControl) {
    if (jobs < 1) jobs = 1;
    FileReadControl ownControl(nullptr, std::max(jobs, UsableProcessorCount()));
    FileReadControl& control = runControl != nullptr ? *runControl : ownControl;
    ResultBoard board(count);
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    // Held by the readers started below, each giving its own back.
    const unsigned held = control.TakeThreads(jobs);
    const auto work = [count, jobs, &board, &next, &stop, &read, &control] {
        std::vector<unsigned char> buffer;
        for (;;) {
            const std::size_t index = next++;
            if (index >= count || stop || control.Stopped() || !board.WaitForRoom(index)) break;
            board.Post(index, ReadGuarded(read, index, jobs, buffer));
        }
        // This reader's thread may now read a part of another's file.
        control.ReturnThreads(1);
    };
    // Threads for readers that would find no file are given back before any
    // reader starts, so that a large file read alone gets its parts.
    const unsigned wanted = static_cast<unsigned>(std::min<std::size_t>(held, count));
    control.ReturnThreads(held - wanted);
    unsigned started = 0;
    bool completed = true;
    control.SetWaker(ResultBoard::Nudge, &board);
    {
        ReaderThreads threads(stop, control, board);
        for (unsigned job = 0; job < wanted; ++job) {
            if (!threads.Start(work)) break;
            ++started;
        }
        // So do the readers that could not be started.
        control.ReturnThreads(wanted - started);
        if (started == 0) {
            completed = ChecksumOneByOne(count, deliver, idle, read, control);
        } else {
            auto lastIdle = Clock::now();
            std::chrono::milliseconds wait = kFirstCollectWait;
            std::vector<FileChecksum> taken;
            for (std::size_t index = 0; index < count && completed;) {
                const bool any = board.TakeSoon(index, taken, kResultsPerTake, wait);
                wait = any ? kFirstCollectWait : std::min(wait * 2, kLongestCollectWait);
                for (const FileChecksum& checksum : taken) {
                    if (control.Stopped() || checksum.status == FileReadStatus::kCancelled) {
                        completed = false;
                        break;
                    }
                    deliver(index++, checksum);
                }
                if (!any && control.Stopped()) completed = false;
                // After a wait (a step of progress may have ended it) and
                // between results every few milliseconds.
                if (completed && idle && (!any || Clock::now() - lastIdle >= kIdleInterval)) {
                    idle();
                    lastIdle = Clock::now();
                }
            }
        }
        // Also when no reader was started (none needed, or none could be):
        // a run that read every file, or had none to read, is not stopped.
        if (completed) threads.Finished();
    }
    control.SetWaker(nullptr, nullptr);
    return completed && !control.Stopped();
}

ReadOneFile PerThreadUtf8Reader(bool uncached, FileReadControl* control) {
    FileAccess access = kPerThreadUtf8FileAccess;
    access.uncached = uncached;
    access.control = control;
    return [access](const FileToRead& file, unsigned parts, std::vector<unsigned char>& buffer) {
        return ReadFileChecksum(file, parts, buffer, access);
    };
}

unsigned DefaultJobCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

}  // namespace sumbrook
