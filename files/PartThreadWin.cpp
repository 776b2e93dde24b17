// Threads of the Win32 API itself: no run-time library thread in between.
#include <windows.h>

#include "files/PartThread.h"

namespace sumbrook {

namespace {

DWORD WINAPI RunTask(LPVOID task) {
    const auto* toRun = static_cast<const PartThread::Task*>(task);
    toRun->work(toRun->context);
    return 0;
}

}  // namespace

bool JoinedThreadTraits::Close(Handle thread) {
    WaitForSingleObject(thread, INFINITE);
    return CloseHandle(thread) != FALSE;
}

bool PartThread::Start(Work work, void* context) {
    task_ = {work, context};
    thread_.Reset(CreateThread(nullptr, 0, RunTask, &task_, 0, nullptr));
    return thread_.IsValid();
}

void PartThread::Join() {
    thread_.Close();
}

}  // namespace sumbrook
