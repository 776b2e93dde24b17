// The event handler of the main dialog: a dialog procedure that the main
// dialog hands every message to once it has started. Non-zero means handled;
// zero lets the dialog's default processing run (for the close command that
// ends the dialog through IDCANCEL). No exception leaves it.
#pragma once

#include <windows.h>

namespace sumbrook {

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace sumbrook
