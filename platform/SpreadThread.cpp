#include "platform/SpreadThread.h"

#include <pthread.h>
#include <sched.h>

#include <cerrno>
#include <cstddef>
#include <exception>
#include <memory>
#include <system_error>
#include <utility>

namespace sumbrook {

namespace {

struct Start {
    std::function<void()> work;
#ifdef __linux__
    cpu_set_t allowed{};
#endif
    bool placed = false;
};

void* RunStart(void* argument) noexcept {
    const std::unique_ptr<Start> start(static_cast<Start*>(argument));
#ifdef __linux__
    // Free to move from here on, within what the process may use.
    if (start->placed) sched_setaffinity(0, sizeof start->allowed, &start->allowed);
#endif
    try {
        start->work();
    } catch (...) {
        std::terminate();  // as an exception leaving a std::thread's function
    }
    return nullptr;
}

#ifdef __linux__
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

// The thread's first core set in `attributes`, where there is a choice.
void Place(unsigned place, Start& start, pthread_attr_t& attributes) {
    if (sched_getaffinity(0, sizeof start.allowed, &start.allowed) != 0) return;
    const int core = CoreFor(place, start.allowed);
    if (core < 0) return;
    cpu_set_t first;
    CPU_ZERO(&first);
    CPU_SET(static_cast<std::size_t>(core), &first);
    start.placed = pthread_attr_setaffinity_np(&attributes, sizeof first, &first) == 0;
}
#else
void Place(unsigned /*place*/, Start& /*start*/, pthread_attr_t& /*attributes*/) {}
#endif

}  // namespace

SpreadThread::SpreadThread(unsigned place, std::function<void()> work) {
    auto start = std::make_unique<Start>();
    start->work = std::move(work);
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        throw std::system_error(EAGAIN, std::generic_category());
    Place(place, *start, attributes);
    pthread_t handle{};
    int error = pthread_create(&handle, &attributes, RunStart, start.get());
    pthread_attr_destroy(&attributes);
    if (error == EINVAL && start->placed) {
        // Refused the core: started where the system puts it.
        start->placed = false;
        error = pthread_create(&handle, nullptr, RunStart, start.get());
    }
    if (error != 0) throw std::system_error(error, std::generic_category());
    static_cast<void>(start.release());  // the thread's own now
    handle_ = handle;
    joinable_ = true;
}

void SpreadThread::join() {
    if (!std::exchange(joinable_, false)) return;
    pthread_join(handle_, nullptr);
}

void SpreadThread::detach() {
    if (!std::exchange(joinable_, false)) return;
    pthread_detach(handle_);
}

}  // namespace sumbrook
