// Drives the verification window built in this process, as the window
// tests do: files made by their UTF-16 names, a pump of this thread's
// messages with a limit, the window of one request and what it shows.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "verifier/win/VerifyWindow.h"

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
HDROP MakeDrop(const std::vector<std::string>& paths);

// Asks `window` WM_NULL from a thread of its own (SendMessageTimeout, 100
// ms) every 10 ms while it lives, and keeps the longest wait and the late
// answers. Stop() before pumping no more: the last ask may wait for this
// thread's messages.
class AnswerProbe {
  public:
    explicit AnswerProbe(HWND window);
    ~AnswerProbe();
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;

    // Ends the asking; pumps this thread's messages until the prober has ended.
    void Stop();
    DWORD WorstMs() const { return worst_; }
    int Asked() const { return asked_; }
    int Late() const { return late_; }

  private:
    HWND window_;
    std::atomic<bool> stop_{false};
    std::atomic<DWORD> worst_{0};
    std::atomic<int> asked_{0};
    std::atomic<int> late_{0};
    std::thread prober_;
};

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

    // One cell as the list view shows it.
    std::string Cell(int item, int column) const;
    // Every row as the list view shows it, cells in column order.
    std::vector<std::vector<std::string>> Rows() const;

  private:
    HWND window_;
};

}  // namespace sumbrook::test
