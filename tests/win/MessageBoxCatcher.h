// Catches every message box that this thread shows while the catcher lives
// (a WH_CBT hook), records its title, text and icon, and closes it with OK,
// so that code under test that shows a message box returns at once.
// The box is read from a timer inside its own message loop: Wine activates a
// message box before it fills in the text and the icon.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sumbrook::test {

struct CaughtMessageBox {
    std::string title;
    std::string text;
    unsigned icon = 0;  // MB_ICONHAND, MB_ICONEXCLAMATION, MB_ICONINFORMATION or 0
    // True when every other visible top-level window of the thread was
    // disabled while the box was open, as a task-modal box does.
    bool othersDisabled = false;
};

class MessageBoxCatcher {
  public:
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;

    const std::vector<CaughtMessageBox>& Caught() const { return caught_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK ReadAndClose(HWND box, UINT message, UINT_PTR timer, DWORD time);

    HHOOK hook_ = nullptr;
    std::vector<CaughtMessageBox> caught_;
};

}  // namespace sumbrook::test
