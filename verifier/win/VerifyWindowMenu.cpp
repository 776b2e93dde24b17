#include "verifier/win/VerifyWindowMenu.h"

#include <iterator>

#include "verifier/win/VerifierControlIds.h"

namespace sumbrook {

HMENU CreateVerifyWindowMenu() {
    HMENU file = CreatePopupMenu();
    AppendMenuW(file, MF_STRING, ID_OPEN_LIST, L"&Open list...\tCtrl+O");
    AppendMenuW(file, MF_STRING, ID_CHECK_FILE, L"Check a &file...\tCtrl+Shift+O");
    AppendMenuW(file, MF_STRING, ID_NEW_LIST, L"&New list...");
    AppendMenuW(file, MF_STRING, ID_SAVE_REPORT, L"&Save report...\tCtrl+S");
    AppendMenuW(file, MF_STRING, ID_KEYS, L"&Keys...");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ID_ADD_EXPLORER_VERBS, L"&Add the Explorer commands");
    AppendMenuW(file, MF_STRING, ID_REMOVE_EXPLORER_VERBS, L"&Remove the Explorer commands");
    AppendMenuW(file, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file, MF_STRING, ID_EXIT, L"E&xit");
    HMENU edit = CreatePopupMenu();
    AppendMenuW(edit, MF_STRING, ID_COPY, L"&Copy\tCtrl+C");
    AppendMenuW(edit, MF_STRING, ID_SELECT_ALL, L"Select &all\tCtrl+A");
    HMENU check = CreatePopupMenu();
    AppendMenuW(check, MF_STRING, ID_CHECK_AGAIN, L"Check &again\tF5");
    AppendMenuW(check, MF_STRING, ID_CHECK_FAILED_AGAIN, L"Check &failed again");
    AppendMenuW(check, MF_STRING, ID_CANCEL_RUN, L"&Cancel\tEsc");
    HMENU bar = CreateMenu();
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), L"&Edit");
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(check), L"&Check");
    return bar;
}

ScopedAccelerators CreateVerifyWindowAccelerators() {
    ACCEL keys[] = {
        {FVIRTKEY | FCONTROL, 'O', ID_OPEN_LIST},
        {FVIRTKEY | FCONTROL, 'S', ID_SAVE_REPORT},
        {FVIRTKEY | FCONTROL, 'C', ID_COPY},
        {FVIRTKEY | FCONTROL, 'A', ID_SELECT_ALL},
        {FVIRTKEY, VK_F5, ID_CHECK_AGAIN},
        {FVIRTKEY, VK_ESCAPE, ID_CANCEL_RUN},
        {FVIRTKEY | FCONTROL | FSHIFT, 'O', ID_CHECK_FILE},
    };
    return ScopedAccelerators(CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));
}

}  // namespace sumbrook
