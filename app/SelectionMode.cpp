#include "app/SelectionMode.h"

#include "app/ControlIds.h"

namespace sumbrook {

SelectionMode GetSelectionMode(HWND dialog) {
    return SendDlgItemMessageA(dialog, ID_OPTION_ONE_FILE, BM_GETCHECK, 0, 0) == BST_CHECKED
               ? SelectionMode::kOneFile
               : SelectionMode::kAllFiles;
}

}  // namespace sumbrook
