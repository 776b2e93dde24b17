// One file or all files of a directory: not stored anywhere, but read from the
// check state of the one-file option button each time it is needed.
#pragma once

#include <windows.h>

namespace sumbrook {

enum class SelectionMode { kOneFile, kAllFiles };

// kOneFile exactly when ID_OPTION_ONE_FILE answers BM_GETCHECK with BST_CHECKED.
SelectionMode GetSelectionMode(HWND dialog);

}  // namespace sumbrook
