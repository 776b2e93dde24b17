// Drives a modal dialog of this thread from inside its own message loop: a
// WH_CBT hook notices each dialog titled `title` as it activates, and a
// timer hands it to `step` every 50 ms until `step` says it is done (a step
// may click buttons that open dialogs of their own: it is not called again
// meanwhile). A dialog still open 30 s after it came is cancelled and the
// stepper says so (TimedOut), so that a test fails instead of hanging.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace sumbrook::test {

class DialogStepper {
  public:
    DialogStepper(std::wstring title, std::function<bool(HWND dialog)> step);
    ~DialogStepper();
    DialogStepper(const DialogStepper&) = delete;
    DialogStepper& operator=(const DialogStepper&) = delete;

    int Seen() const { return seen_; }
    bool TimedOut() const { return timedOut_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND dialog, UINT, UINT_PTR timer, DWORD);

    std::wstring title_;
    std::function<bool(HWND)> step_;
    HHOOK hook_ = nullptr;
    HWND dialog_ = nullptr;
    DWORD started_ = 0;
    bool stepping_ = false;
    int seen_ = 0;
    bool timedOut_ = false;
    DialogStepper* outer_ = nullptr;  // a stepper of another title living meanwhile
};

}  // namespace sumbrook::test
