#include "app/MainDialogProc.h"

#include <optional>
#include <string>
#include <vector>

#include "app/BrowseForSource.h"
#include "app/CalculateAllFiles.h"
#include "app/CalculateOneFile.h"
#include "app/ControlIds.h"
#include "app/HelpText.h"
#include "app/MainDialog.h"
#include "app/MainDialogLayout.h"
#include "app/SelectionMode.h"
#include "app/TempDirectory.h"
#include "platform/MessageBox.h"

namespace sumbrook {
namespace {

static_assert(kTempDirectorySize == MAX_PATH + 1, "room for any temporary path");

constexpr char kTitleAllFiles[] = " Calculation  of  CRC32 codes  for  all files";

// The user's temporary directory, or an empty text when it cannot be had.
void FillTempDirectory() {
    const DWORD length = GetTempPathA(sizeof TempDirectory, TempDirectory);
    if (length == 0 || length >= sizeof TempDirectory) TempDirectory[0] = '\0';
}

// The whole text of a field, untrimmed.
std::string FieldText(HWND dialog, int id) {
    HWND field = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthA(field);
    std::vector<char> text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(field, text.data(), length + 1);
    return std::string(text.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

void FocusOn(HWND dialog, int id) {
    if (HWND control = GetDlgItem(dialog, id)) SetFocus(control);
}

// Start-up: one-file mode, focus on Info Help. The caller returns FALSE so
// that the dialog keeps this focus.
void OnInitDialog(HWND dialog) {
    FillTempDirectory();
    SendDlgItemMessageA(dialog, ID_OPTION_ONE_FILE, BM_SETCHECK, BST_CHECKED, 0);
    FocusOn(dialog, ID_INFO_HELP);
}

// Calculation in the selected mode. Returns 1 when the all-files run ended at
// its no-file message (the focus then stays where it is), 0 otherwise.
INT_PTR OnCalculation(HWND dialog) {
    const std::string directoryText = FieldText(dialog, ID_DIRECTORY_TEXT);
    const std::string fileText = FieldText(dialog, ID_FILE_TEXT);
    if (GetSelectionMode(dialog) == SelectionMode::kOneFile) {
        CalculateOneFile(directoryText, fileText);
    } else if (CalculateAllFiles(dialog, directoryText, TempDirectory)) {
        return 1;
    }
    FocusOn(dialog, ID_BROWSE);
    return 0;
}

void OnBrowse(HWND dialog) {
    const bool oneFile = GetSelectionMode(dialog) == SelectionMode::kOneFile;
    const std::optional<ChosenSource> chosen =
        BrowseForSource(dialog, BrowseTitle(oneFile), FieldText(dialog, ID_DIRECTORY_TEXT),
                        FieldText(dialog, ID_FILE_TEXT));
    if (chosen) {
        SetDlgItemTextA(dialog, ID_DIRECTORY_TEXT, chosen->directoryText.c_str());
        SetDlgItemTextA(dialog, ID_FILE_TEXT, chosen->fileText.c_str());
        FocusOn(dialog, IDOK);
    } else {
        FocusOn(dialog, IDCANCEL);
    }
}

void OnInfoHelp(HWND dialog) {
    ShowMessage(InfoHelpText(TempDirectory), kInfoHelpTitle, MessageIcon::kInformation);
    FocusOn(dialog, ID_BROWSE);
}

// Brings the caption and the file field in line with the selected mode.
void OnModeChange(HWND dialog) {
    const bool oneFile = GetSelectionMode(dialog) == SelectionMode::kOneFile;
    EnableWindow(GetDlgItem(dialog, ID_FILE_TEXT), oneFile ? TRUE : FALSE);
    SetWindowTextA(dialog, oneFile ? kOneFileTitle : kTitleAllFiles);
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
                    case IDOK:
                        return OnCalculation(dialog);
                    case IDCANCEL:
                        EndMainDialog(dialog, 0);
                        return 0;
                    case ID_BROWSE:
                        OnBrowse(dialog);
                        return 0;
                    case ID_INFO_HELP:
                        OnInfoHelp(dialog);
                        return 0;
                    case ID_OPTION_ONE_FILE:
                    case ID_OPTION_ALL_FILES:
                        OnModeChange(dialog);
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
