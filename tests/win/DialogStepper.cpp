#include "DialogStepper.h"

#include <utility>

namespace sumbrook::test {

namespace {

constexpr UINT_PTR kStepTimer = 0x5B0D;
constexpr DWORD kLimitMs = 30000;
// The steppers living now, the newest first (chained by outer_).
DialogStepper* g_newest = nullptr;

std::wstring TitleOf(HWND window) {
    wchar_t text[128] = {};
    GetWindowTextW(window, text, 128);
    return text;
}

bool IsDialog(HWND window) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return std::wstring(name) == L"#32770";
}

}  // namespace

DialogStepper::DialogStepper(std::wstring title, std::function<bool(HWND dialog)> step)
    : title_(std::move(title)), step_(std::move(step)), outer_(g_newest) {
    g_newest = this;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

DialogStepper::~DialogStepper() {
    UnhookWindowsHookEx(hook_);
    if (dialog_ != nullptr && IsWindow(dialog_)) KillTimer(dialog_, kStepTimer);
    g_newest = outer_;
}

LRESULT CALLBACK DialogStepper::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        auto window = reinterpret_cast<HWND>(wParam);
        for (DialogStepper* stepper = g_newest; stepper != nullptr; stepper = stepper->outer_) {
            if (window == stepper->dialog_ || !IsDialog(window) ||
                TitleOf(window) != stepper->title_) {
                continue;
            }
            stepper->dialog_ = window;
            stepper->started_ = GetTickCount();
            ++stepper->seen_;
            SetPropW(window, L"SumbrookStepper", reinterpret_cast<HANDLE>(stepper));
            SetTimer(window, kStepTimer, 50, OnTimer);
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogStepper::OnTimer(HWND dialog, UINT, UINT_PTR timer, DWORD) {
    auto* stepper = reinterpret_cast<DialogStepper*>(GetPropW(dialog, L"SumbrookStepper"));
    if (stepper == nullptr || stepper->stepping_) return;
    if (GetTickCount() - stepper->started_ > kLimitMs) {
        KillTimer(dialog, timer);
        stepper->timedOut_ = true;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return;
    }
    stepper->stepping_ = true;
    const bool done = stepper->step_(dialog);
    stepper->stepping_ = false;
    if (done) KillTimer(dialog, timer);
}

}  // namespace sumbrook::test
