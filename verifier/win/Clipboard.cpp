#include "verifier/win/Clipboard.h"

#include <windows.h>

#include <cstring>

#include "platform/WinHandles.h"

namespace sumbrook {

namespace {

// The clipboard, open while this lives.
class OpenClipboardScope {
  public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    bool IsOpen() const { return open_; }

  private:
    bool open_;
};

// Sets `memory` as the clipboard's text, opened by `owner`.
bool SetText(HWND owner, ScopedGlobalMemory& memory) {
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    // Once set, the memory is the clipboard's.
    if (SetClipboardData(CF_UNICODETEXT, memory.Get()) == nullptr) return false;
    memory.Release();
    return true;
}

}  // namespace

bool PutTextOnClipboard(const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    ScopedGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory.IsValid()) return false;
    void* locked = GlobalLock(memory.Get());
    if (locked == nullptr) return false;
    std::memcpy(locked, text.c_str(), bytes);
    GlobalUnlock(memory.Get());
    // The clipboard's owner while it is set; SetClipboardData fails
    // without one.
    HWND owner =
        CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (owner == nullptr) return false;
    const bool set = SetText(owner, memory);
    DestroyWindow(owner);
    return set;
}

std::wstring TextOnClipboard(std::size_t most, bool* whole) {
    if (whole != nullptr) *whole = true;
    const OpenClipboardScope clipboard(nullptr);
    if (!clipboard.IsOpen()) return std::wstring();
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data == nullptr) return std::wstring();
    const auto* locked = static_cast<const wchar_t*>(GlobalLock(data));
    if (locked == nullptr) return std::wstring();
    const std::size_t held = GlobalSize(data) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < held && length < most && locked[length] != L'\0') ++length;
    if (whole != nullptr) *whole = length == held || locked[length] == L'\0';
    std::wstring text(locked, length);
    GlobalUnlock(data);
    return text;
}

}  // namespace sumbrook
