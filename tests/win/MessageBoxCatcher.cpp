#include "MessageBoxCatcher.h"

#include <string>

namespace sumbrook::test {

namespace {

MessageBoxCatcher* g_active = nullptr;
std::vector<CaughtMessageBox>* g_caught = nullptr;

constexpr UINT_PTR kReadTimer = 0x5B0C;
constexpr int kMessageTextId = 0xFFFF;
// The icon's static control: 0x0014 on Windows, stc1 (0x0440) on Wine.
constexpr int kMessageIconIds[] = {0x0014, 0x0440};

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got));
    return text;
}

unsigned IconStyleOf(HWND box) {
    for (const int id : kMessageIconIds) {
        HWND control = GetDlgItem(box, id);
        if (control == nullptr) continue;
        auto icon = reinterpret_cast<HICON>(SendMessageA(control, STM_GETICON, 0, 0));
        if (icon == nullptr) continue;
        if (icon == LoadIconA(nullptr, IDI_HAND)) return MB_ICONHAND;
        if (icon == LoadIconA(nullptr, IDI_EXCLAMATION)) return MB_ICONEXCLAMATION;
        if (icon == LoadIconA(nullptr, IDI_ASTERISK)) return MB_ICONINFORMATION;
        if (icon == LoadIconA(nullptr, IDI_QUESTION)) return MB_ICONQUESTION;
        return 0xFFFF;
    }
    return 0;
}

struct OthersState {
    HWND box;
    bool anyEnabled;
};

BOOL CALLBACK NoteEnabled(HWND window, LPARAM lParam) {
    auto* state = reinterpret_cast<OthersState*>(lParam);
    if (window != state->box && IsWindowVisible(window) && IsWindowEnabled(window)) {
        state->anyEnabled = true;
    }
    return TRUE;
}

bool OthersDisabled(HWND box) {
    OthersState state = {box, false};
    EnumThreadWindows(GetCurrentThreadId(), NoteEnabled, reinterpret_cast<LPARAM>(&state));
    return !state.anyEnabled;
}

bool IsMessageBox(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    return std::string(className) == "#32770" && GetDlgItem(window, kMessageTextId) != nullptr;
}

}  // namespace

MessageBoxCatcher::MessageBoxCatcher() {
    g_active = this;
    g_caught = &caught_;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher() {
    UnhookWindowsHookEx(hook_);
    g_active = nullptr;
    g_caught = nullptr;
}

LRESULT CALLBACK MessageBoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_active != nullptr) {
        auto window = reinterpret_cast<HWND>(wParam);
        // Activation can come more than once for one box; read it once.
        if (IsMessageBox(window) && GetPropA(window, "SumbrookLateCatch") == nullptr) {
            SetPropA(window, "SumbrookLateCatch", reinterpret_cast<HANDLE>(1));
            SetTimer(window, kReadTimer, 0, ReadAndClose);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK MessageBoxCatcher::ReadAndClose(HWND box, UINT, UINT_PTR timer, DWORD) {
    KillTimer(box, timer);
    if (g_caught != nullptr) {
        CaughtMessageBox caught;
        caught.title = WindowText(box);
        caught.text = WindowText(GetDlgItem(box, kMessageTextId));
        caught.icon = IconStyleOf(box);
        caught.othersDisabled = OthersDisabled(box);
        g_caught->push_back(caught);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace sumbrook::test
