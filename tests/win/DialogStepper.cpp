#include "DialogStepper.h"

#include <utility>

namespace sumbrook::test {

namespace {

constexpr UINT_PTR kStepTimer = 0x5B0D;
DialogStepper* g_newest = nullptr;

}  // namespace

DialogStepper::DialogStepper(std::wstring title, std::function<bool(HWND dialog)> step)
    : title_(std::move(title)), step_(std::move(step)), outer_(g_newest) {
    g_newest = this;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

DialogStepper::~DialogStepper() {
    UnhookWindowsHookEx(hook_);
    g_newest = outer_;
}

LRESULT CALLBACK DialogStepper::Hook(int code, WPARAM wParam, LPARAM lParam) {
    auto window = reinterpret_cast<HWND>(wParam);
    wchar_t name[16] = {};
    wchar_t title[128] = {};
    if (code == HCBT_ACTIVATE && GetPropW(window, L"SumbrookStepper") == nullptr &&
        GetClassNameW(window, name, 16) > 0 && std::wstring(name) == L"#32770" &&
        GetWindowTextW(window, title, 128) > 0) {
        for (DialogStepper* stepper = g_newest; stepper != nullptr; stepper = stepper->outer_) {
            if (stepper->title_ != title) continue;
            stepper->started_ = GetTickCount();
            SetPropW(window, L"SumbrookStepper", reinterpret_cast<HANDLE>(stepper));
            SetTimer(window, kStepTimer, 50, OnTimer);
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogStepper::OnTimer(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    auto* stepper = reinterpret_cast<DialogStepper*>(GetPropW(dialog, L"SumbrookStepper"));
    if (stepper->stepping_) return;
    if (GetTickCount() - stepper->started_ > 30000) {
        KillTimer(dialog, timer);
        stepper->timedOut_ = true;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    stepper->stepping_ = true;
    if (stepper->step_(dialog)) KillTimer(dialog, timer);
    stepper->stepping_ = false;
}

}  // namespace sumbrook::test
