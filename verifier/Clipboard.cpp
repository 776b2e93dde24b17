#include "verifier/Clipboard.h"

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

}  // namespace

bool PutTextOnClipboard(HWND owner, const std::wstring& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    ScopedGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory.IsValid()) return false;
    void* locked = GlobalLock(memory.Get());
    if (locked == nullptr) return false;
    std::memcpy(locked, text.c_str(), bytes);
    GlobalUnlock(memory.Get());
    const OpenClipboardScope clipboard(owner);
    if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
    // Once set, the memory is the clipboard's.
    if (SetClipboardData(CF_UNICODETEXT, memory.Get()) == nullptr) return false;
    memory.Release();
    return true;
}

}  // namespace sumbrook
