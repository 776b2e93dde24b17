// Catches every message box that this thread shows while the catcher lives,
// like MessageBoxCatcher, but reads title, text and icon only once the box
// runs its own message loop. Wine activates a message box before it fills
// in the text and the icon, so a reading at activation sees them empty.
// Each box is closed with OK right after it has been read.
#pragma once

#include <windows.h>

#include <vector>

#include "MessageBoxCatcher.h"

namespace sumbrook::test {

class LateMessageBoxCatcher {
  public:
    LateMessageBoxCatcher();
    ~LateMessageBoxCatcher();
    LateMessageBoxCatcher(const LateMessageBoxCatcher&) = delete;
    LateMessageBoxCatcher& operator=(const LateMessageBoxCatcher&) = delete;

    const std::vector<CaughtMessageBox>& Caught() const { return caught_; }

  private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK ReadAndClose(HWND box, UINT message, UINT_PTR timer, DWORD time);

    HHOOK hook_ = nullptr;
    std::vector<CaughtMessageBox> caught_;
};

}  // namespace sumbrook::test
