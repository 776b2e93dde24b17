// Building and running the main dialog. The dialog is a modeless dialog
// window from an in-memory template, with its thirteen controls added after
// the window exists; a message loop of its own makes the run modal for the
// program. Tests create the same dialog in their own process.
#pragma once

#include <windows.h>

#include "app/MainDialogProc.h"

namespace sumbrook {

// Creates the dialog window hidden, without owner, from the template, and
// adds the controls in table order, each with the dialog's font. Controls
// are in their creation state (nothing checked, texts empty, no focus set);
// `handler` has seen no message yet. A control that cannot be created is
// left out. Returns null when the dialog window cannot be created.
HWND BuildMainDialog(HINSTANCE instance);

// From now on hands every message of the built dialog to `handler`, then
// delivers WM_INITDIALOG (once; all controls exist) and one WM_SIZE with
// SIZE_RESTORED and the client area's width and height. The dialog stays
// hidden.
void StartMainDialog(HWND dialog, DLGPROC handler = MainDialogProc);

// BuildMainDialog, then StartMainDialog; null when the window cannot be
// created.
HWND CreateMainDialog(HINSTANCE instance, DLGPROC handler = MainDialogProc);

// Runs the thread's messages through the dialog keyboard handling of
// `dialog` (Tab, arrows, Enter, Esc, mnemonics), translating and dispatching
// the others, until `dialog` is destroyed. Waits while the queue is empty.
// Also ends (destroying `dialog`) when the thread is told to quit; the quit
// message is posted again for an outer loop.
void RunMainDialogLoop(HWND dialog);

// Creates the dialog, shows it and runs it until it has ended. Returns at
// once, showing nothing, when the dialog cannot be created.
void ShowMainDialog(HINSTANCE instance);

// Ends the dialog, as EndDialog does for a modal one: the window is
// destroyed and RunMainDialogLoop returns. Nobody reads `result`.
void EndMainDialog(HWND dialog, INT_PTR result);

}  // namespace sumbrook
