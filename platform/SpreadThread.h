// A joinable thread that starts on a core chosen for it, for threads that
// work side by side from the moment they start (readers of many files, the
// helpers that hash a file's pieces).
//
// Some schedulers place a new thread on its creator's core and move it only
// later: on a 2-core KVM guest (Linux 6.18, Intel Xeon family 6 model 167),
// a thread that worked for 20 ms beside its busy creator ran 37-100% of that
// time on the creator's core in most runs, and began up to 3.9 ms late. Put
// on the other core when created, it began 0.10-0.18 ms later and never ran
// on its creator's. So the threads of a group get the cores the process may
// use in turn, from the one after the caller's round to the caller's own,
// and the thread lets the scheduler move it from its first instruction on.
// Where that cannot be done (Windows, whose scheduler places new threads
// itself; one core; a system that refuses), the thread starts as
// std::thread's would (a POSIX thread, as std::thread's is in both builds).
#pragma once

#include <pthread.h>

#include <functional>
#include <utility>

namespace sumbrook {

class SpreadThread {
  public:
    SpreadThread() noexcept = default;
    // Runs work() on a new thread, the `place`-th (from 0) of the group the
    // caller starts; throws std::system_error, as std::thread does, when the
    // system has no thread to give. `work` must not throw.
    SpreadThread(unsigned place, std::function<void()> work);
    ~SpreadThread() { join(); }
    SpreadThread(SpreadThread&& other) noexcept
        : handle_(other.handle_), joinable_(std::exchange(other.joinable_, false)) {}
    SpreadThread& operator=(SpreadThread&& other) noexcept {
        if (this != &other) {
            join();
            handle_ = other.handle_;
            joinable_ = std::exchange(other.joinable_, false);
        }
        return *this;
    }
    SpreadThread(const SpreadThread&) = delete;
    SpreadThread& operator=(const SpreadThread&) = delete;

    bool joinable() const { return joinable_; }
    void join();
    // Lets the thread end on its own, unwaited for.
    void detach();

  private:
    pthread_t handle_{};
    bool joinable_ = false;
};

}  // namespace sumbrook
