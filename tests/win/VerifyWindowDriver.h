// Drives the verification window built in this process, as the window
// tests do: files made by their UTF-16 names, a pump of this thread's
// messages with a limit, the window of one request and what it shows.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>
#include <string>
#include <vector>

#include "verifier/VerifyWindow.h"

namespace sumbrook::test {

inline constexpr DWORD kRunLimitMs = 120000;

// `path` in the extended-length form (\\?\...).
std::wstring LongForm(const std::string& path);
void MakeFolderW(const std::string& path);
void WriteFileW(const std::string& path, const std::string& content);
// A file of `size` bytes of zeros, its length set without writing (sparse
// where the file system allows, as under Wine on Linux).
void WriteSparseFile(const std::string& path, std::uint64_t size);

// Runs this thread's messages until `done()` holds, each through the
// window's own keys first (TranslateVerifyWindowMessage) when `keysOf` is
// given; false after `limitMs`.
template <typename Done>
bool PumpUntil(Done done, DWORD limitMs, HWND keysOf = nullptr) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            if (keysOf != nullptr && TranslateVerifyWindowMessage(keysOf, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (GetTickCount() - start > limitMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

// The text of a window or control, UTF-8.
std::string TextOf(HWND window);

// A drop of the file at `path`, as Explorer hands it in WM_DROPFILES (the
// window frees it).
HDROP MakeDrop(const std::string& path);

// The window for one request, destroyed with the object.
class OpenWindow {
  public:
    explicit OpenWindow(const VerifierRequest& request);
    ~OpenWindow();
    OpenWindow(const OpenWindow&) = delete;
    OpenWindow& operator=(const OpenWindow&) = delete;

    HWND Get() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    bool Running() const;
    int ExitCode() const;
    bool WaitForEnd() const;
    void Command(int id) const;
    std::string Status() const;

    // Every row as the list view shows it, cells in column order.
    std::vector<std::vector<std::string>> Rows() const;

  private:
    HWND window_;
};

}  // namespace sumbrook::test
