// The verification window's menu bar (File, Edit, Check) and its keys:
// Ctrl+O open, Ctrl+S save the report, Ctrl+C copy, Ctrl+A select all, F5
// check again (Enter and Esc come through the dialog keys as IDOK and
// IDCANCEL). Windows only.
#pragma once

#include <windows.h>

namespace sumbrook {

// Owned by the window it is set on.
HMENU CreateVerifyWindowMenu();

// Destroyed with DestroyAcceleratorTable by its owner.
HACCEL CreateVerifyWindowAccelerators();

}  // namespace sumbrook
