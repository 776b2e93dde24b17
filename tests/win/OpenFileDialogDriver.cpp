#include "OpenFileDialogDriver.h"

#include <dlgs.h>

namespace sumbrook::test {

namespace {

OpenFileDialogDriver* g_driver = nullptr;

constexpr UINT_PTR kActTimer = 0x5B01;
constexpr UINT_PTR kRescueTimer = 0x5B02;

std::string TextOf(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsOpenFileDialog(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770" && GetDlgItem(window, cmb13) != nullptr;
}

}  // namespace

OpenFileDialogDriver::OpenFileDialogDriver(std::optional<std::string> answer, HWND owner)
    : owner_(owner), answer_(std::move(answer)) {
    g_driver = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

OpenFileDialogDriver::~OpenFileDialogDriver() {
    UnhookWindowsHookEx(hook_);
    g_driver = nullptr;
}

LRESULT CALLBACK OpenFileDialogDriver::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_driver != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (IsOpenFileDialog(window) && GetPropA(window, "SumbrookDriven") == nullptr) {
            SetPropA(window, "SumbrookDriven", reinterpret_cast<HANDLE>(1));
            SetTimer(window, kActTimer, 100, OnTimer);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK OpenFileDialogDriver::OnTimer(HWND dialog, UINT, UINT_PTR id, DWORD) {
    KillTimer(dialog, id);
    if (id == kRescueTimer) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        SetTimer(dialog, kRescueTimer, 1000, OnTimer);
        return;
    }
    if (g_driver != nullptr) g_driver->Act(dialog);
    SetTimer(dialog, kRescueTimer, 5000, OnTimer);
}

void OpenFileDialogDriver::Act(HWND dialog) {
    ++seen_.timesShown;
    seen_.title = TextOf(dialog);
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);  // the dialog works in the folder it lists
    seen_.folder = folder;
    seen_.presetName = TextOf(GetDlgItem(dialog, cmb13));
    HWND filters = GetDlgItem(dialog, cmb1);
    const LRESULT count = SendMessageA(filters, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char item[256] = {};
        SendMessageA(filters, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        seen_.filters.emplace_back(item);
    }
    HWND readOnly = GetDlgItem(dialog, chx1);
    seen_.readOnlyBoxVisible = readOnly != nullptr && IsWindowVisible(readOnly);
    seen_.ownerDisabled = owner_ != nullptr && !IsWindowEnabled(owner_);

    if (answer_) {
        if (fileType_ >= 0) {
            SendMessageA(filters, CB_SETCURSEL, static_cast<WPARAM>(fileType_), 0);
            // As the list sends them when a type is picked with the mouse.
            for (const WORD notice : {WORD{CBN_SELCHANGE}, WORD{CBN_SELENDOK}}) {
                SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notice),
                             reinterpret_cast<LPARAM>(filters));
            }
        }
        SetDlgItemTextA(dialog, cmb13, answer_->c_str());
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    } else {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }
}

}  // namespace sumbrook::test
