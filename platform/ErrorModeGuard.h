// The rule for every file, directory, current-directory and local-time call:
// no system prompt for a drive without a medium or an unreachable share; the
// call fails and the caller sees the failure as its result.
#pragma once

#include <windows.h>

#include "platform/ErrorModeScope.h"

namespace sumbrook {

enum class FsRedirection {
    kKeep,  // local time, current directory: redirection plays no part
    kOff,   // file and directory calls: the path named is the path opened
};

// While alive: error mode SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX,
// for the whole process (kProcess, SetErrorMode) or for the calling thread
// only (kThread, SetThreadErrorMode). A process-wide mode is shared: two
// threads that set and restore it overlap and undo each other, so code that
// may run on several threads at once takes kThread, which touches neither
// the process's mode nor another thread's. With FsRedirection::kOff also, for a 32-bit process on
// 64-bit Windows, no redirection of System32 to SysWOW64. Both are restored on destruction, and the
// thread's last-error value is preserved across the restore, so callers may read GetLastError after
// the guard has gone.
class ErrorModeGuard {
  public:
    explicit ErrorModeGuard(FsRedirection redirection = FsRedirection::kKeep,
                            ErrorModeScope scope = ErrorModeScope::kProcess);
    ~ErrorModeGuard();
    ErrorModeGuard(const ErrorModeGuard&) = delete;
    ErrorModeGuard& operator=(const ErrorModeGuard&) = delete;

  private:
    ErrorModeScope scope_;
    DWORD previousMode_ = 0;
    bool redirectionDisabled_ = false;
    PVOID redirectionState_ = nullptr;
};

}  // namespace sumbrook
