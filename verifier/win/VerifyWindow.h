// The verification window: a list and its folder, the rows of a check in a
// virtual list view, progress, notices, and the commands around them. The
// runs are its RunController's, each on a worker thread; this window's
// thread takes what the worker posts, in slices, and draws it, and never
// waits for a worker: Cancel asks, and what waits for the run's end (closing,
// another list) happens when that end arrives. The window is never destroyed
// from inside its handlers' callees (the end of a run posts WM_CLOSE).
// Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "verifier/RunController.h"
#include "verifier/VerifierCommandLine.h"

namespace sumbrook {

inline constexpr wchar_t kVerifyWindowClass[] = L"SumbrookVerifyWindow";

// A check started before its window exists: the first window of a process
// costs the system a while, which the check's reading overlaps. The window
// that takes it over becomes the target of its worker's wakes.
struct StartedCheck {
    std::shared_ptr<std::atomic<HWND>> wakeTarget;
    std::unique_ptr<RunController> controller;
};

// Starts the check that `request` asks for (kCheck) at once, before any
// window is made; null when there is none, or when the check is to be
// refused before it starts (a report it must not write).
std::unique_ptr<StartedCheck> StartCheckEarly(const VerifierRequest& request);

// Registers the class (once) and creates the window, shown with `show`, and
// starts what `request` asks for, or takes over `started` (its check).
// Null when the window cannot be created. When the window is destroyed it
// posts WM_QUIT with the exit code of its last run (see
// verify/RunExitCode.h).
HWND CreateVerifyWindow(HINSTANCE instance, const VerifierRequest& request, int show,
                        std::unique_ptr<StartedCheck> started = nullptr);

// What the window's message loop does with a message before dispatching
// it: the window's keys (accelerators, Esc among them) and the keyboard
// navigation between its controls. True when the message was handled.
bool TranslateVerifyWindowMessage(HWND window, MSG* message);

// Runs the thread's message loop for the window until WM_QUIT; returns the
// quit code.
int RunVerifyWindowLoop(HWND window);

}  // namespace sumbrook
