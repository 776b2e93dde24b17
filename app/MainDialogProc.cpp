#include "app/MainDialogProc.h"

#include "app/ControlIds.h"
#include "app/MainDialog.h"
#include "app/TempDirectory.h"

namespace sumbrook {
namespace {

static_assert(kTempDirectorySize == MAX_PATH + 1, "room for any temporary path");

// The user's temporary directory, or an empty text when it cannot be had.
void FillTempDirectory() {
    const DWORD length = GetTempPathA(sizeof TempDirectory, TempDirectory);
    if (length == 0 || length >= sizeof TempDirectory) TempDirectory[0] = '\0';
}

// Start-up: one-file mode, focus on Info Help. The caller returns FALSE so
// that the dialog keeps this focus.
void OnInitDialog(HWND dialog) {
    FillTempDirectory();
    SendDlgItemMessageA(dialog, ID_OPTION_ONE_FILE, BM_SETCHECK, BST_CHECKED, 0);
    if (HWND infoHelp = GetDlgItem(dialog, ID_INFO_HELP)) SetFocus(infoHelp);
}

}  // namespace

INT_PTR CALLBACK MainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    try {
        switch (message) {
            case WM_INITDIALOG:
                OnInitDialog(dialog);
                return FALSE;
            case WM_COMMAND:
                switch (LOWORD(wParam)) {
                    case IDCANCEL:
                        EndMainDialog(dialog, 0);
                        return 0;
                    default:
                        return 0;
                }
            default:
                return 0;
        }
    } catch (...) {
        return 0;
    }
}

}  // namespace sumbrook
