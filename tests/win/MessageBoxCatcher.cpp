#include "MessageBoxCatcher.h"

namespace sumbrook::test {

namespace {

MessageBoxCatcher* g_active = nullptr;

// The message box's text is the static control with this identifier.
constexpr int kMessageTextId = 0xFFFF;
// The icon is the static control with this identifier.
constexpr int kMessageIconId = 0x0014;

unsigned IconStyleOf(HWND box) {
    HWND iconControl = GetDlgItem(box, kMessageIconId);
    if (iconControl == nullptr) return 0;
    auto icon = reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0));
    if (icon == nullptr) return 0;
    if (icon == LoadIconA(nullptr, IDI_HAND)) return MB_ICONHAND;
    if (icon == LoadIconA(nullptr, IDI_EXCLAMATION)) return MB_ICONEXCLAMATION;
    if (icon == LoadIconA(nullptr, IDI_ASTERISK)) return MB_ICONINFORMATION;
    if (icon == LoadIconA(nullptr, IDI_QUESTION)) return MB_ICONQUESTION;
    return 0xFFFF;
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(got));
    return text;
}

}  // namespace

MessageBoxCatcher::MessageBoxCatcher(HWND watched) : watched_(watched) {
    g_active = this;
    hook_ = SetWindowsHookExA(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher() {
    UnhookWindowsHookEx(hook_);
    g_active = nullptr;
}

LRESULT CALLBACK MessageBoxCatcher::Hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && g_active != nullptr) {
        g_active->OnActivate(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void MessageBoxCatcher::OnActivate(HWND window) {
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") return;
    HWND textControl = GetDlgItem(window, kMessageTextId);
    if (textControl == nullptr) {
        if (onOtherDialog) onOtherDialog(window);
        return;
    }
    // Activation can come more than once for one box; record it once.
    if (GetPropA(window, "SumbrookCaught") != nullptr) return;
    SetPropA(window, "SumbrookCaught", reinterpret_cast<HANDLE>(1));

    CaughtMessageBox box;
    box.title = WindowText(window);
    box.text = WindowText(textControl);
    box.icon = IconStyleOf(window);
    box.ownerDisabled = watched_ != nullptr && !IsWindowEnabled(watched_);
    caught_.push_back(box);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace sumbrook::test
