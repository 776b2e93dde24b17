#include <pthread.h>
#include <sched.h>

#include <cerrno>
#include <cstddef>
#include <exception>
#include <system_error>
#include <utility>

#include "platform/SpreadThread.h"

namespace sumbrook {

struct SpreadThread::Running {
    pthread_t handle{};
};

namespace {

struct Start {
    std::function<void()> work;
    cpu_set_t allowed{};
    bool placed = false;
};

void* RunStart(void* argument) noexcept {
    const std::unique_ptr<Start> start(static_cast<Start*>(argument));
    // Free to move from here on, within what the process may use.
    if (start->placed) sched_setaffinity(0, sizeof start->allowed, &start->allowed);
    try {
        start->work();
    } catch (...) {
        std::terminate();  // as an exception leaving a std::thread's function
    }
    return nullptr;
}

// The core of the place-th thread of a group started from the caller's
// core, or -1 when there is no choice to make.
int CoreFor(unsigned place, const cpu_set_t& allowed) {
    const auto count = static_cast<unsigned>(CPU_COUNT(&allowed));
    const int here = sched_getcpu();
    if (count < 2 || here < 0) return -1;
    unsigned cores[CPU_SETSIZE];
    unsigned mine = count;
    unsigned n = 0;
    for (std::size_t core = 0; core < CPU_SETSIZE && n < count; ++core) {
        if (!CPU_ISSET(core, &allowed)) continue;
        if (core == static_cast<std::size_t>(here)) mine = n;
        cores[n++] = static_cast<unsigned>(core);
    }
    if (mine >= n) return -1;
    return static_cast<int>(cores[(mine + 1 + place) % n]);
}

}  // namespace

SpreadThread::SpreadThread(unsigned place, std::function<void()> work) {
    auto start = std::make_unique<Start>();
    start->work = std::move(work);
    auto running = std::make_unique<Running>();
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        throw std::system_error(EAGAIN, std::generic_category());
    if (sched_getaffinity(0, sizeof start->allowed, &start->allowed) == 0) {
        const int core = CoreFor(place, start->allowed);
        if (core >= 0) {
            cpu_set_t first;
            CPU_ZERO(&first);
            CPU_SET(static_cast<std::size_t>(core), &first);
            start->placed = pthread_attr_setaffinity_np(&attributes, sizeof first, &first) == 0;
        }
    }
    int error = pthread_create(&running->handle, &attributes, RunStart, start.get());
    if (error == EINVAL && start->placed) {
        // Refused the core: started where the system puts it.
        start->placed = false;
        pthread_attr_destroy(&attributes);
        pthread_attr_init(&attributes);
        error = pthread_create(&running->handle, &attributes, RunStart, start.get());
    }
    pthread_attr_destroy(&attributes);
    if (error != 0) throw std::system_error(error, std::generic_category());
    start.release();  // the thread's own now
    thread_ = std::move(running);
}

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
    pthread_join(thread_->handle, nullptr);
    thread_.reset();
}

void SpreadThread::detach() {
    if (thread_ == nullptr) return;
    pthread_detach(thread_->handle);
    thread_.reset();
}

}  // namespace sumbrook
