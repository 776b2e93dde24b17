#include "cli/ParallelChecksum.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace sumbrook {

namespace {

constexpr auto kIdleInterval = std::chrono::milliseconds(200);

// The results so far, shared between the reading threads and the caller.
class ResultBoard {
  public:
    explicit ResultBoard(std::size_t count) : results_(count), done_(count, false) {}

    // Wakes the caller only when it waits for this very result, so that
    // many small files do not cost a wake-up each.
    void Post(std::size_t index, const FileChecksum& checksum) {
        bool awaited = false;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            results_[index] = checksum;
            done_[index] = true;
            awaited = index == awaited_;
        }
        if (awaited) posted_.notify_one();
    }

    // Waits for the result of `index`, calling `idle` between waits.
    FileChecksum Take(std::size_t index, const std::function<void()>& idle) {
        std::unique_lock<std::mutex> lock(mutex_);
        awaited_ = index;
        while (!done_[index]) {
            if (!posted_.wait_for(lock, kIdleInterval, [&] { return done_[index]; }) && idle) {
                lock.unlock();
                idle();
                lock.lock();
            }
        }
        return results_[index];
    }

  private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<FileChecksum> results_;
    std::vector<bool> done_;
    std::size_t awaited_ = 0;  // the index the caller takes next
};

// Joins the reading threads on every way out, after telling them to stop.
class ReaderThreads {
  public:
    explicit ReaderThreads(std::atomic<bool>& stop) : stop_(stop) {}
    ~ReaderThreads() {
        stop_ = true;
        for (std::thread& thread : threads_) thread.join();
    }
    ReaderThreads(const ReaderThreads&) = delete;
    ReaderThreads& operator=(const ReaderThreads&) = delete;

    template <typename Work>
    bool Start(Work work) {
        try {
            threads_.emplace_back(work);
            return true;
        } catch (const std::system_error&) {
            return false;
        }
    }
    std::size_t Count() const { return threads_.size(); }

  private:
    std::atomic<bool>& stop_;
    std::vector<std::thread> threads_;
};

// `read`, with a lack of memory reported as a failed read rather than ending
// the thread and the program; the same on every number of jobs.
FileChecksum ReadGuarded(const ReadOneFile& read, const FileToRead& file, unsigned parts,
                         std::vector<unsigned char>& buffer) {
    try {
        return read(file, parts, buffer);
    } catch (const std::bad_alloc&) {
        FileChecksum failed;
        failed.status = FileReadStatus::kReadFailed;
        return failed;
    }
}

void ChecksumOneByOne(const std::vector<FileToRead>& files, const DeliverChecksum& deliver,
                      const std::function<void()>& idle, const ReadOneFile& read) {
    std::vector<unsigned char> buffer;
    auto lastIdle = std::chrono::steady_clock::now();
    for (std::size_t index = 0; index < files.size(); ++index) {
        deliver(index, ReadGuarded(read, files[index], 1, buffer));
        if (idle && std::chrono::steady_clock::now() - lastIdle >= kIdleInterval) {
            idle();
            lastIdle = std::chrono::steady_clock::now();
        }
    }
}

}  // namespace

void ChecksumInOrder(const std::vector<FileToRead>& files, unsigned jobs,
                     const DeliverChecksum& deliver, const std::function<void()>& idle,
                     const ReadOneFile& readOrDefault) {
    const ReadOneFile read = readOrDefault ? readOrDefault : CommandLineReader(false);
    if (jobs <= 1) return ChecksumOneByOne(files, deliver, idle, read);
    ResultBoard board(files.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    const auto work = [&files, jobs, &board, &next, &stop, &read] {
        std::vector<unsigned char> buffer;
        for (;;) {
            const std::size_t index = next++;
            if (index >= files.size() || stop) return;
            board.Post(index, ReadGuarded(read, files[index], jobs, buffer));
        }
    };
    ReaderThreads threads(stop);
    for (unsigned job = 0; job < jobs && job < files.size(); ++job) {
        if (!threads.Start(work)) break;
    }
    if (threads.Count() == 0) return ChecksumOneByOne(files, deliver, idle, read);
    for (std::size_t index = 0; index < files.size(); ++index) {
        deliver(index, board.Take(index, idle));
    }
}

ReadOneFile CommandLineReader(bool uncached) {
    FileAccess access = kCommandLineFileAccess;
    access.uncached = uncached;
    return [access](const FileToRead& file, unsigned parts, std::vector<unsigned char>& buffer) {
        return ReadFileChecksum(file, parts, buffer, access);
    };
}

unsigned DefaultJobCount() {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

}  // namespace sumbrook
