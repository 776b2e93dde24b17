// Drives a modal dialog of this thread from inside its own loop: a WH_CBT
// hook notices the dialog titled `title` as it activates, and a timer hands
// it to `step` every 50 ms until `step` says it is done (not again while a
// step runs, which may open dialogs of its own). One still open after 30 s
// is cancelled and TimedOut says so: a test fails instead of hanging.
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
    bool TimedOut() const { return timedOut_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK OnTimer(HWND dialog, UINT, UINT_PTR timer, DWORD);

    std::wstring title_;
    std::function<bool(HWND)> step_;
    HHOOK hook_ = nullptr;
    DWORD started_ = 0;
    bool stepping_ = false;
    bool timedOut_ = false;
    DialogStepper* outer_;  // the stepper made before this one, still living
};

}  // namespace sumbrook::test
