#include "app/MainDialog.h"

#include <vector>

#include "app/MainDialogLayout.h"
#include "app/MainDialogTemplate.h"

namespace sumbrook {
namespace {

// The dialog procedure while the window is built. The dialog manager sends
// its WM_INITDIALOG before any control exists (the template has no items);
// that one, like everything else until StartMainDialog, gets the default
// processing only.
INT_PTR CALLBACK BuildingDialogProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

void AddControl(HWND dialog, HINSTANCE instance, HFONT font, const ControlLayout& control) {
    const ControlKindStyle kind = StyleOf(control.kind);
    RECT rect = {control.rect.x, control.rect.y, control.rect.x + control.rect.cx,
                 control.rect.y + control.rect.cy};
    MapDialogRect(dialog, &rect);
    HWND window = CreateWindowExA(
        kind.exStyle, kind.className, control.caption, kind.style, rect.left, rect.top,
        rect.right - rect.left, rect.bottom - rect.top, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
    if (window == nullptr) return;  // left out, as DS_NOFAILCREATE allows
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), MAKELPARAM(TRUE, 0));
}

}  // namespace

HWND BuildMainDialog(HINSTANCE instance) {
    const std::vector<WORD> dialogTemplate = BuildMainDialogTemplate();
    HWND dialog = CreateDialogIndirectParamA(
        instance, reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), nullptr,
        BuildingDialogProc, 0);
    if (dialog == nullptr) return nullptr;
    const auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    for (const ControlLayout& control : kMainDialogControls) {
        AddControl(dialog, instance, font, control);
    }
    return dialog;
}

void StartMainDialog(HWND dialog, DLGPROC handler) {
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(handler));
    SendMessageA(dialog, WM_INITDIALOG, 0, 0);
    if (!IsWindow(dialog)) return;
    RECT client = {};
    GetClientRect(dialog, &client);
    SendMessageA(dialog, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
}

HWND CreateMainDialog(HINSTANCE instance, DLGPROC handler) {
    HWND dialog = BuildMainDialog(instance);
    if (dialog != nullptr) StartMainDialog(dialog, handler);
    return dialog;
}

void RunMainDialogLoop(HWND dialog) {
    MSG message = {};
    while (IsWindow(dialog)) {
        const BOOL got = GetMessageA(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) PostQuitMessage(static_cast<int>(message.wParam));
            DestroyWindow(dialog);
            return;
        }
        if (!IsDialogMessageA(dialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void ShowMainDialog(HINSTANCE instance) {
    HWND dialog = CreateMainDialog(instance);
    if (dialog == nullptr) return;
    if (IsWindow(dialog)) ShowWindow(dialog, SW_SHOW);
    RunMainDialogLoop(dialog);
}

void EndMainDialog(HWND dialog, INT_PTR /*result*/) {
    DestroyWindow(dialog);
}

}  // namespace sumbrook
