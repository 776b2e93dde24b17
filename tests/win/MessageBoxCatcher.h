// Catches every message box that this thread shows while the catcher lives
// (a WH_CBT hook), records its title, text and icon, and closes it with OK,
// so that code under test that shows a message box returns at once.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace sumbrook::test {

struct CaughtMessageBox {
    std::string title;
    std::string text;
    unsigned icon = 0;           // MB_ICONHAND, MB_ICONEXCLAMATION, MB_ICONINFORMATION or 0
    bool ownerDisabled = false;  // true when the task-modal box disabled the watched window
};

class MessageBoxCatcher {
  public:
    // `watched`, if given, is a top-level window of this thread that must be
    // disabled while a task-modal box is open.
    explicit MessageBoxCatcher(HWND watched = nullptr);
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<CaughtMessageBox>& Caught() const { return caught_; }

    // Called with each dialog window (class #32770) other than message boxes
    // when it is activated, for tests that drive such dialogs themselves.
    std::function<void(HWND)> onOtherDialog;

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND window);

    HHOOK hook_ = nullptr;
    HWND watched_ = nullptr;
    std::vector<CaughtMessageBox> caught_;
};

}  // namespace sumbrook::test
