// The controls of the verification window: made with texts whose access
// keys are unique among them and the menu bar's (File, Edit, Check), in the
// message font made for the window's dots per inch (made again when they
// change), and laid out at any size: rows of buttons and boxes wrap where
// the window is narrow, so that no control is ever cut, and the window's
// smallest size is the one that shows every control whole. Windows only.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "platform/WinHandles.h"
#include "verifier/RowText.h"

namespace sumbrook {

// The progress bar's range: its position is the share done times this.
inline constexpr int kProgressSteps = 1000;

class Placing;

class VerifyWindowControls {
  public:
    // Makes every control as a child of `window` at `dpi` dots per inch.
    void Create(HWND window, int dpi);
    // The dots per inch changed: a font of the new size, column widths and
    // layout to match.
    void SetDpi(int dpi);
    // Places the controls in the window's client area; the notices' box is
    // shown only when `showNotices`.
    void Layout(bool showNotices);
    // The line about the list's signature above the rows (and its Add
    // key... button) shown or hidden at the next Layout.
    void ShowSignature(bool shown, bool offersAddKey) {
        signatureShown_ = shown;
        addKeyShown_ = shown && offersAddKey;
    }
    // The Expected and Found columns `width` pixels wide at 96 dots per
    // inch (DigestColumnWidth), kept when the dots per inch change.
    void SetDigestColumnWidth(int width);
    // The smallest outer size of the window that shows every control whole.
    SIZE MinimumWindowSize() const;
    int Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    HFONT Font() const;

    HWND listLabel = nullptr;
    HWND listPath = nullptr;
    HWND openList = nullptr;
    HWND folderLabel = nullptr;
    HWND folderPath = nullptr;
    HWND chooseFolder = nullptr;
    HWND subfolders = nullptr;
    HWND uncached = nullptr;
    HWND skipMissing = nullptr;
    HWND problemsFirst = nullptr;
    HWND problemsOnly = nullptr;
    HWND checkAgain = nullptr;
    HWND checkFailed = nullptr;
    HWND cancel = nullptr;
    HWND copy = nullptr;
    HWND saveReport = nullptr;
    HWND newList = nullptr;
    HWND rows = nullptr;
    HWND notices = nullptr;
    HWND progress = nullptr;
    HWND statusLine = nullptr;
    HWND signature = nullptr;
    HWND addKey = nullptr;

  private:
    HWND Add(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
             DWORD extendedStyle = 0);
    void MakeFont();
    // The width `control` needs for its text in the present font, with
    // `extra` pixels (at 96 dots per inch) beside it.
    int TextWidth(HWND control, int extra) const;
    // Lays out from the top at client width `width`; places the controls
    // through `place` when given. Returns the height used above the rows.
    int FlowTop(int width, Placing* place) const;

    HWND window_ = nullptr;
    int dpi_ = 96;
    bool signatureShown_ = false;
    bool addKeyShown_ = false;
    int digestColumnWidth_ = kRowColumns[2].width;
    ScopedFont font_;
    std::vector<HWND> all_;
    mutable std::map<HWND, int> widths_;  // of the texts, in the present font
};

}  // namespace sumbrook
