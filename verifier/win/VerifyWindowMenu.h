// The verification window's menu bar (File, Edit, Check) and its keys:
// Ctrl+O open, Ctrl+S save the report, Ctrl+C copy, Ctrl+A select all, F5
// check again, Esc cancel wherever the focus is (Enter comes through the
// dialog keys as IDOK). Windows only.
#pragma once

#include <windows.h>

#include "platform/WinHandles.h"

namespace sumbrook {

// Owned by the window it is set on.
HMENU CreateVerifyWindowMenu();

ScopedAccelerators CreateVerifyWindowAccelerators();

}  // namespace sumbrook
