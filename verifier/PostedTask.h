// A small piece of work (a key file read, the key store listed) done on a
// worker thread of its own, for a window that must not wait for it: the
// worker calls `wake` (which must only post) once the result is there, and
// the window takes it. The destructor returns at once: the worker keeps
// what it shares with the task, and calls `wake` no more once the task is
// gone.
#pragma once

#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace sumbrook {

template <typename Result>
class PostedTask {
  public:
    // `work` runs on the worker; an exception it throws ends in `failed`.
    PostedTask(std::function<Result()> work, const std::function<void()>& wake,
               Result failed = Result())
        : shared_(std::make_shared<Shared>()) {
        shared_->wake = wake;
        std::thread([shared = shared_, work = std::move(work),
                     failed = std::move(failed)]() mutable {
            std::optional<Result> result;
            try {
                result = work();
            } catch (const std::exception&) {
                result = std::move(failed);
            }
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->result = std::move(result);
            if (shared->wake) shared->wake();
        }).detach();
    }
    ~PostedTask() {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->wake = nullptr;
    }
    PostedTask(const PostedTask&) = delete;
    PostedTask& operator=(const PostedTask&) = delete;

    // The result once the worker is done (once; nothing afterwards).
    std::optional<Result> Take() {
        const std::lock_guard<std::mutex> lock(shared_->mutex);
        return std::exchange(shared_->result, std::nullopt);
    }

  private:
    struct Shared {
        std::mutex mutex;
        std::optional<Result> result;
        std::function<void()> wake;
    };
    std::shared_ptr<Shared> shared_;
};

}  // namespace sumbrook
