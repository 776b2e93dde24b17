// The verification window: a list and its folder, the rows of a check in a
// virtual list view, progress, and the commands around them. Every run goes
// on a worker thread (CheckJob); this window's thread only takes what the
// worker posts and draws it. Windows only.
#pragma once

#include <windows.h>

#include "verifier/VerifierCommandLine.h"

namespace sumbrook {

inline constexpr wchar_t kVerifyWindowClass[] = L"SumbrookVerifyWindow";

// Registers the class (once) and creates the window, shown with `show`, and
// starts what `request` asks for. Null when the window cannot be created.
// When the window is destroyed it posts WM_QUIT with the exit code of its
// last run (see verify/RunExitCode.h).
HWND CreateVerifyWindow(HINSTANCE instance, const VerifierRequest& request, int show);

// Runs the thread's message loop for the window (keyboard navigation,
// accelerators) until WM_QUIT; returns the quit code.
int RunVerifyWindowLoop(HWND window);

}  // namespace sumbrook
