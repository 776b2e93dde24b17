#include "verifier/win/KeyDialogs.h"

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/WideText.h"
#include "signature/KeyStore.h"
#include "verifier/KeyAdding.h"
#include "verifier/KeyListing.h"
#include "verifier/PostedTask.h"
#include "verifier/win/FileChoosers.h"
#include "verifier/win/VerifierControlIds.h"
#include "verify/SignedFile.h"

namespace sumbrook {

namespace {

constexpr wchar_t kProgramTitle[] = L"Sumbrook Verify";

// A dialog of no controls, `cx` by `cy` dialog units, in the shell's font:
// the controls are made at WM_INITDIALOG. WORDs keep it aligned as a
// template must be.
std::vector<WORD> EmptyDialogTemplate(const wchar_t* title, short cx, short cy) {
    std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
    auto* dialog = reinterpret_cast<DLGTEMPLATE*>(words.data());
    dialog->style = DS_MODALFRAME | DS_SHELLFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    dialog->cx = cx;
    dialog->cy = cy;
    words.push_back(0);  // no menu
    words.push_back(0);  // the dialog class
    for (const wchar_t* c = title; *c != L'\0'; ++c) words.push_back(static_cast<WORD>(*c));
    words.push_back(0);
    words.push_back(8);  // points
    for (const wchar_t* c = L"MS Shell Dlg 2"; *c != L'\0'; ++c) {
        words.push_back(static_cast<WORD>(*c));
    }
    words.push_back(0);
    return words;
}

// A control of `dialog` at the dialog units x, y, cx, cy, in its font.
HWND AddControl(HWND dialog, const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                RECT units, DWORD extendedStyle = 0) {
    units.right += units.left;
    units.bottom += units.top;
    MapDialogRect(dialog, &units);
    HWND control = CreateWindowExW(
        extendedStyle, kind, text, WS_CHILD | WS_VISIBLE | style, units.left, units.top,
        units.right - units.left, units.bottom - units.top, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    SendMessageW(control, WM_SETFONT, static_cast<WPARAM>(SendMessageW(dialog, WM_GETFONT, 0, 0)),
                 FALSE);
    return control;
}

void SetItemText(HWND dialog, int id, const std::string& text) {
    std::wstring wide;
    for (const wchar_t c : WideFromUtf8(text)) {
        if (c == L'\n') wide += L'\r';
        wide += c;
    }
    SetDlgItemTextW(dialog, id, wide.c_str());
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(item);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(item, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return Utf8FromWide(text);
}

void Tell(HWND owner, const std::string& text) {
    MessageBoxW(owner, WideFromUtf8(text).c_str(), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
}

// Posts the arrival of a worker's result to `dialog`.
std::function<void()> PostsTo(HWND dialog) {
    return [dialog] { PostMessageW(dialog, WM_VERIFIER_KEYS_ARRIVED, 0, 0); };
}

// Add key: the file read, then its keys shown and a label asked.
struct AddKeyState {
    std::string path;
    std::unique_ptr<PostedTask<KeyFileRead>> task;
    std::optional<KeyFileRead> read;
};

INT_PTR HandleAddKey(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<AddKeyState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<AddKeyState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            AddControl(dialog, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS,
                       ID_KEY_PROMPT, {7, 7, 286, 10});
            AddControl(dialog, L"EDIT", L"",
                       WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                       ID_KEY_DETAILS, {7, 20, 286, 108}, WS_EX_CLIENTEDGE);
            AddControl(dialog, L"STATIC", L"&Label:", SS_LEFT, -1, {7, 137, 40, 10});
            AddControl(dialog, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, ID_KEY_LABEL,
                       {50, 135, 243, 14}, WS_EX_CLIENTEDGE);
            HWND add = AddControl(dialog, L"BUTTON", L"&Add", WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK,
                                  {187, 158, 50, 14});
            AddControl(dialog, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL,
                       {243, 158, 50, 14});
            EnableWindow(add, FALSE);
            SetItemText(dialog, ID_KEY_PROMPT, "Reading " + state->path + "...");
            const std::string path = state->path;
            KeyFileRead failed;
            failed.error = "the key file cannot be read";
            state->task = std::make_unique<PostedTask<KeyFileRead>>(
                [path] { return ReadKeyFileToAdd(path); }, PostsTo(dialog), failed);
            return TRUE;
        }
        case WM_VERIFIER_KEYS_ARRIVED: {
            if (state == nullptr || state->task == nullptr) return TRUE;
            state->read = state->task->Take();
            if (!state->read) return TRUE;
            if (!state->read->error.empty()) {
                SetItemText(dialog, ID_KEY_PROMPT, "No key was added.");
                SetItemText(dialog, ID_KEY_DETAILS,
                            state->path + ": " + state->read->error + "; it cannot be added.");
                return TRUE;
            }
            SetItemText(dialog, ID_KEY_PROMPT, "Type a label for the key, then Add:");
            SetItemText(dialog, ID_KEY_DETAILS, KeyConfirmationText(state->path, *state->read));
            SetItemText(dialog, ID_KEY_LABEL,
                        state->read->keys.empty() ? std::string()
                                                  : SuggestedLabel(state->read->keys.front()));
            EnableWindow(GetDlgItem(dialog, IDOK), TRUE);
            SetFocus(GetDlgItem(dialog, ID_KEY_LABEL));
            SendDlgItemMessageW(dialog, ID_KEY_LABEL, EM_SETSEL, 0, -1);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    if (state == nullptr || !state->read || !state->read->error.empty()) {
                        return TRUE;
                    }
                    const std::string error = AddKeys(DefaultKeyStoreFolder(), *state->read,
                                                      ItemText(dialog, ID_KEY_LABEL));
                    if (!error.empty()) {
                        Tell(dialog, "The key was not added: " + error + ".");
                        return TRUE;
                    }
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY:
            if (state != nullptr) state->task.reset();
            return FALSE;
        default:
            return FALSE;
    }
}

// Keys: the store read on a worker each time it changed.
struct KeysState {
    std::unique_ptr<PostedTask<KeyStoreRead>> task;
    KeyStoreRead store;
};

void ReadStore(HWND dialog, KeysState& state) {
    SetItemText(dialog, ID_KEY_PROMPT, "Reading the keys...");
    EnableWindow(GetDlgItem(dialog, ID_KEYS_REMOVE), FALSE);
    const std::string folder = DefaultKeyStoreFolder();
    state.task = std::make_unique<PostedTask<KeyStoreRead>>(
        [folder] { return ReadKeyStore(folder, SecondsNow()); }, PostsTo(dialog));
}

void ShowChosenKey(HWND dialog, const KeysState& state) {
    const LRESULT chosen = SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_GETCURSEL, 0, 0);
    const std::string details =
        chosen < 0 ? std::string()
                   : KeyDetailsTextAt(state.store, static_cast<std::size_t>(chosen));
    SetItemText(dialog, ID_KEY_DETAILS, details);
    EnableWindow(GetDlgItem(dialog, ID_KEYS_REMOVE), details.empty() ? FALSE : TRUE);
}

void ShowStore(HWND dialog, KeysState& state) {
    SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_RESETCONTENT, 0, 0);
    const std::vector<std::string> lines = KeyListLines(state.store);
    for (const std::string& line : lines) {
        SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(WideFromUtf8(line).c_str()));
    }
    const std::size_t count = lines.size();
    std::string prompt = count == 0 ? "No keys in " + DefaultKeyStoreFolder() + "."
                         : count == 1
                             ? "1 key in " + DefaultKeyStoreFolder() + ":"
                             : std::to_string(count) + " keys in " + DefaultKeyStoreFolder() + ":";
    for (const std::string& damaged : state.store.damaged) prompt += "  " + damaged + " (skipped)";
    SetItemText(dialog, ID_KEY_PROMPT, prompt);
    if (count != 0) SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_SETCURSEL, 0, 0);
    ShowChosenKey(dialog, state);
}

void RemoveChosenKey(HWND dialog, KeysState& state) {
    const LRESULT chosen = SendDlgItemMessageW(dialog, ID_KEYS_LIST, LB_GETCURSEL, 0, 0);
    const std::vector<std::string> lines = KeyListLines(state.store);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= lines.size()) return;
    const auto index = static_cast<std::size_t>(chosen);
    const std::wstring question =
        WideFromUtf8("Remove " + lines[index] +
                     " from the keys you trust? Signatures by it are then no longer good.");
    if (MessageBoxW(dialog, question.c_str(), kProgramTitle,
                    MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION) != IDOK) {
        return;
    }
    const std::string error = RemoveListedKey(DefaultKeyStoreFolder(), state.store, index);
    if (!error.empty()) Tell(dialog, "The key was not removed: " + error + ".");
    ReadStore(dialog, state);
}

INT_PTR HandleKeys(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<KeysState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            state = reinterpret_cast<KeysState*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            AddControl(dialog, L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS,
                       ID_KEY_PROMPT, {7, 7, 316, 10});
            AddControl(dialog, L"LISTBOX", L"",
                       WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, ID_KEYS_LIST,
                       {7, 20, 316, 70}, WS_EX_CLIENTEDGE);
            AddControl(dialog, L"EDIT", L"",
                       WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                       ID_KEY_DETAILS, {7, 94, 316, 78}, WS_EX_CLIENTEDGE);
            AddControl(dialog, L"BUTTON", L"&Add key...", WS_TABSTOP | BS_PUSHBUTTON, ID_KEYS_ADD,
                       {7, 180, 60, 14});
            AddControl(dialog, L"BUTTON", L"&Remove", WS_TABSTOP | BS_PUSHBUTTON, ID_KEYS_REMOVE,
                       {71, 180, 60, 14});
            AddControl(dialog, L"BUTTON", L"Close", WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL,
                       {263, 180, 60, 14});
            ReadStore(dialog, *state);
            return TRUE;
        case WM_VERIFIER_KEYS_ARRIVED: {
            if (state == nullptr || state->task == nullptr) return TRUE;
            std::optional<KeyStoreRead> store = state->task->Take();
            if (!store) return TRUE;
            state->store = std::move(*store);
            ShowStore(dialog, *state);
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case ID_KEYS_LIST:
                    if (HIWORD(wParam) == LBN_SELCHANGE && state != nullptr) {
                        ShowChosenKey(dialog, *state);
                    }
                    return TRUE;
                case ID_KEYS_ADD:
                    if (state != nullptr && AddKeyFromFile(dialog)) ReadStore(dialog, *state);
                    return TRUE;
                case ID_KEYS_REMOVE:
                    if (state != nullptr) RemoveChosenKey(dialog, *state);
                    return TRUE;
                case IDOK:
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_DESTROY:
            if (state != nullptr) state->task.reset();
            return FALSE;
        default:
            return FALSE;
    }
}

// No exception crosses the dialog's procedure: the user is told, and the
// dialog ends.
template <INT_PTR (*Handle)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK GuardedProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Handle(dialog, message, wParam, lParam);
    } catch (const std::exception& failure) {
        Tell(dialog, failure.what());
    } catch (...) {
        Tell(dialog, "Something failed in an unforeseen way.");
    }
    EndDialog(dialog, IDCANCEL);
    return TRUE;
}

HINSTANCE InstanceOf(HWND owner) {
    return owner != nullptr ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE))
                            : GetModuleHandleW(nullptr);
}

}  // namespace

bool AddKeyFromFile(HWND owner) {
    AddKeyState state;
    state.path = ChooseKeyFile(owner);
    if (state.path.empty()) return false;
    const std::vector<WORD> dialog = EmptyDialogTemplate(kAddKeyTitle, 300, 179);
    return DialogBoxIndirectParamW(
               InstanceOf(owner), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), owner,
               GuardedProc<HandleAddKey>, reinterpret_cast<LPARAM>(&state)) == IDOK;
}

void ShowKeysDialog(HWND owner) {
    KeysState state;
    const std::vector<WORD> dialog = EmptyDialogTemplate(kKeysTitle, 330, 201);
    DialogBoxIndirectParamW(InstanceOf(owner), reinterpret_cast<const DLGTEMPLATE*>(dialog.data()),
                            owner, GuardedProc<HandleKeys>, reinterpret_cast<LPARAM>(&state));
}

}  // namespace sumbrook
