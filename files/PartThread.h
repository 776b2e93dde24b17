// A thread that reads one part of a file, waited for when its owner goes.
#pragma once

#ifdef _WIN32
#include "platform/ScopedHandle.h"
#else
#include <thread>
#endif

namespace sumbrook {

#ifdef _WIN32
// A thread's HANDLE from CreateThread; closing waits for the thread first.
struct JoinedThreadTraits {
    using Handle = void*;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle thread) { return thread != nullptr; }
    static bool Close(Handle thread);
};
#endif

class PartThread {
  public:
    using Work = void (*)(void* context) noexcept;
    struct Task {
        Work work = nullptr;
        void* context = nullptr;
    };

    PartThread() = default;
    ~PartThread() { Join(); }
    PartThread(const PartThread&) = delete;
    PartThread& operator=(const PartThread&) = delete;

    // Runs work(context) on a new thread; false, with nothing run, when the
    // system has no thread to give. Once per object.
    bool Start(Work work, void* context);

    // Waits for the thread, if one was started.
    void Join();

  private:
    Task task_;
#ifdef _WIN32
    ScopedHandle<JoinedThreadTraits> thread_;
#else
    std::thread thread_;
#endif
};

}  // namespace sumbrook
