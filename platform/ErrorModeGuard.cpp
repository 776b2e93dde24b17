#include "platform/ErrorModeGuard.h"

namespace sumbrook {

namespace {

using Wow64DisableFn = BOOL(WINAPI*)(PVOID*);
using Wow64RevertFn = BOOL(WINAPI*)(PVOID);

// Looked up at run time: the functions exist only on systems with WOW64.
struct Wow64Functions {
    Wow64DisableFn disable = nullptr;
    Wow64RevertFn revert = nullptr;
};

const Wow64Functions& GetWow64Functions() {
    static const Wow64Functions functions = [] {
        Wow64Functions f;
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (kernel != nullptr) {
            f.disable = reinterpret_cast<Wow64DisableFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
            f.revert = reinterpret_cast<Wow64RevertFn>(
                reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
        }
        return f;
    }();
    return functions;
}

}  // namespace

ErrorModeGuard::ErrorModeGuard(FsRedirection redirection, ErrorModeScope scope) : scope_(scope) {
    constexpr UINT kMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    if (scope_ == ErrorModeScope::kThread) {
        const DWORD lastError = GetLastError();
        if (!SetThreadErrorMode(kMode, &previousMode_)) previousMode_ = GetThreadErrorMode();
        SetLastError(lastError);
    } else {
        previousMode_ = SetErrorMode(kMode);
    }
    if (redirection == FsRedirection::kOff) {
        const DWORD lastError = GetLastError();
        const Wow64Functions& wow64 = GetWow64Functions();
        if (wow64.disable != nullptr && wow64.revert != nullptr) {
            redirectionDisabled_ = wow64.disable(&redirectionState_) != FALSE;
        }
        SetLastError(lastError);
    }
}

ErrorModeGuard::~ErrorModeGuard() {
    const DWORD lastError = GetLastError();
    if (redirectionDisabled_) GetWow64Functions().revert(redirectionState_);
    if (scope_ == ErrorModeScope::kThread) {
        SetThreadErrorMode(previousMode_, nullptr);
    } else {
        SetErrorMode(previousMode_);
    }
    SetLastError(lastError);
}

}  // namespace sumbrook
