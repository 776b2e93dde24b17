#include <thread>
#include <utility>

#include "platform/SpreadThread.h"

namespace sumbrook {

// Windows places new threads itself: a std::thread.
struct SpreadThread::Running {
    std::thread thread;
};

SpreadThread::SpreadThread(unsigned /*place*/, std::function<void()> work)
    : thread_(std::make_unique<Running>(Running{std::thread(std::move(work))})) {}

SpreadThread::SpreadThread() noexcept = default;

SpreadThread::~SpreadThread() {
    join();
}

SpreadThread::SpreadThread(SpreadThread&& other) noexcept = default;

SpreadThread& SpreadThread::operator=(SpreadThread&& other) noexcept {
    if (this != &other) {
        join();
        thread_ = std::move(other.thread_);
    }
    return *this;
}

void SpreadThread::join() {
    if (thread_ == nullptr) return;
    thread_->thread.join();
    thread_.reset();
}

void SpreadThread::detach() {
    if (thread_ == nullptr) return;
    thread_->thread.detach();
    thread_.reset();
}

}  // namespace sumbrook
