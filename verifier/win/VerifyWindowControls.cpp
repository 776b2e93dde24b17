#include "verifier/win/VerifyWindowControls.h"

#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <string>
#include <tuple>

#include "platform/WideText.h"
#include "verifier/RowText.h"
#include "verifier/win/VerifierControlIds.h"
#include "verifier/win/WindowObject.h"

namespace sumbrook {

namespace {

constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kLine = 24;
constexpr int kBoxExtra = 24;     // a check box's box and the gap to its text
constexpr int kButtonExtra = 24;  // a button's edges around its text
constexpr int kLeastRows = 90;    // the rows' area at the smallest size
constexpr int kNoticeLines = 3;

std::wstring TextOf(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    // "&&" shows as "&", an access key's "&" not at all.
    std::wstring shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&' && i + 1 < text.size()) ++i;
        shown += text[i];
    }
    return shown;
}

}  // namespace

// Moves controls together (DeferWindowPos), each once, at the end of a
// layout. Each moved control is drawn again where it now is, never copied
// there (SWP_NOCOPYBITS): at the smallest width the button rows wrap, and
// copied bits of a button stayed over the list until it was next painted.
class Placing {
  public:
    explicit Placing(int controls) : positions_(BeginDeferWindowPos(controls)) {}
    ~Placing() {
        if (positions_ != nullptr) EndDeferWindowPos(positions_);
    }
    Placing(const Placing&) = delete;
    Placing& operator=(const Placing&) = delete;
    void operator()(HWND control, int x, int y, int width, int height) {
        const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS;
        if (positions_ != nullptr) {
            positions_ = DeferWindowPos(positions_, control, nullptr, x, y, std::max(width, 0),
                                        std::max(height, 0), flags);
        }
        if (positions_ == nullptr) {
            SetWindowPos(control, nullptr, x, y, std::max(width, 0), std::max(height, 0), flags);
        }
    }

  private:
    HDWP positions_;
};

HWND VerifyWindowControls::Add(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                               DWORD extendedStyle) {
    HWND control = CreateChildControl(window_, kind, text, style, id, extendedStyle);
    all_.push_back(control);
    return control;
}

void VerifyWindowControls::Create(HWND window, int dpi) {
    window_ = window;
    dpi_ = dpi;
    // Access keys: the menu bar has F, E and C.
    listLabel = Add(L"STATIC", L"&List:", SS_LEFT | SS_CENTERIMAGE, -1);
    listPath = Add(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, ID_LIST_PATH,
                   WS_EX_CLIENTEDGE);
    openList = Add(L"BUTTON", L"&Open...", WS_TABSTOP | BS_PUSHBUTTON, ID_OPEN_LIST);
    folderLabel = Add(L"STATIC", L"Fol&der:", SS_LEFT | SS_CENTERIMAGE, -1);
    folderPath = Add(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, ID_FOLDER_PATH, WS_EX_CLIENTEDGE);
    SendMessageW(folderPath, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(L"as the list says (the protocol's folder, or the "
                                          L"list's own)"));
    chooseFolder = Add(L"BUTTON", L"Bro&wse...", WS_TABSTOP | BS_PUSHBUTTON, ID_CHOOSE_FOLDER);
    subfolders = Add(L"BUTTON", L"&Subfolders", WS_TABSTOP | BS_AUTOCHECKBOX, ID_SUBFOLDERS);
    uncached = Add(L"BUTTON", L"&Read from the disk, past the cache", WS_TABSTOP | BS_AUTOCHECKBOX,
                   ID_UNCACHED);
    skipMissing =
        Add(L"BUTTON", L"Skip &missing files", WS_TABSTOP | BS_AUTOCHECKBOX, ID_SKIP_MISSING);
    problemsFirst =
        Add(L"BUTTON", L"&Problems first", WS_TABSTOP | BS_AUTOCHECKBOX, ID_PROBLEMS_FIRST);
    problemsOnly =
        Add(L"BUTTON", L"Only pro&blems", WS_TABSTOP | BS_AUTOCHECKBOX, ID_PROBLEMS_ONLY);
    checkAgain = Add(L"BUTTON", L"Check &again", WS_TABSTOP | BS_DEFPUSHBUTTON, ID_CHECK_AGAIN);
    checkFailed =
        Add(L"BUTTON", L"C&heck failed again", WS_TABSTOP | BS_PUSHBUTTON, ID_CHECK_FAILED_AGAIN);
    cancel = Add(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, ID_CANCEL_RUN);
    copy = Add(L"BUTTON", L"Cop&y", WS_TABSTOP | BS_PUSHBUTTON, ID_COPY);
    saveReport = Add(L"BUTTON", L"Sa&ve report...", WS_TABSTOP | BS_PUSHBUTTON, ID_SAVE_REPORT);
    newList = Add(L"BUTTON", L"&New list...", WS_TABSTOP | BS_PUSHBUTTON, ID_NEW_LIST);
    rows = Add(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
               ID_ROWS, WS_EX_CLIENTEDGE);
    SendMessageW(rows, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
    for (std::size_t i = 0; i < kRowColumnCount; ++i) {
        const std::wstring title = WideFromUtf8(kRowColumns[i].title);
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = kRowColumns[i].alignRight ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = Scaled(kRowColumns[i].width);
        column.pszText = const_cast<wchar_t*>(title.c_str());
        column.iSubItem = static_cast<int>(i);
        SendMessageW(rows, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    notices = Add(L"EDIT", L"", ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_TABSTOP, ID_NOTICES,
                  WS_EX_CLIENTEDGE);
    ShowWindow(notices, SW_HIDE);
    progress = Add(PROGRESS_CLASSW, L"", 0, ID_PROGRESS);
    SendMessageW(progress, PBM_SETRANGE32, 0, kProgressSteps);
    statusLine = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_STATUS_LINE);
    signature =
        Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | SS_CENTERIMAGE, ID_SIGNATURE);
    addKey = Add(L"BUTTON", L"Add &key...", WS_TABSTOP | BS_PUSHBUTTON, ID_ADD_KEY);
    ShowWindow(signature, SW_HIDE);
    ShowWindow(addKey, SW_HIDE);
    MakeFont();
}

void VerifyWindowControls::MakeFont() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        // The system's metrics are for the system's dots per inch.
        HDC screen = GetDC(nullptr);
        const int systemDpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, dpi_, systemDpi > 0 ? systemDpi : 96);
        font_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    widths_.clear();
    // Drawn again once, not control by control.
    for (HWND control : all_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

HFONT VerifyWindowControls::Font() const {
    return font_.IsValid() ? font_.Get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void VerifyWindowControls::SetDpi(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    MakeFont();
    for (std::size_t i = 0; i < kRowColumnCount; ++i) {
        const bool digest = i == 2 || i == 3;
        SendMessageW(rows, LVM_SETCOLUMNWIDTH, i,
                     Scaled(digest ? digestColumnWidth_ : kRowColumns[i].width));
    }
}

void VerifyWindowControls::SetDigestColumnWidth(int width) {
    if (width == digestColumnWidth_) return;
    digestColumnWidth_ = width;
    for (const WPARAM column : {WPARAM{2}, WPARAM{3}}) {
        SendMessageW(rows, LVM_SETCOLUMNWIDTH, column, Scaled(width));
    }
}

int VerifyWindowControls::TextWidth(HWND control, int extra) const {
    // Measured once per font: the texts of the measured controls never change.
    auto known = widths_.find(control);
    if (known == widths_.end()) {
        const std::wstring text = TextOf(control);
        HDC context = GetDC(window_);
        const HGDIOBJ before = SelectObject(context, Font());
        SIZE size = {};
        GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        SelectObject(context, before);
        ReleaseDC(window_, context);
        known = widths_.emplace(control, size.cx).first;
    }
    return known->second + Scaled(extra);
}

int VerifyWindowControls::FlowTop(int width, Placing* place) const {
    const int margin = Scaled(kMargin);
    const int gap = Scaled(kGap);
    const int line = Scaled(kLine);
    const int labelWidth = std::max(TextWidth(listLabel, 4), TextWidth(folderLabel, 4));
    const int sideWidth = std::max(
        {TextWidth(openList, kButtonExtra), TextWidth(chooseFolder, kButtonExtra), Scaled(80)});
    const int fieldWidth = width - labelWidth - sideWidth - 2 * gap;
    int y = margin;
    for (const auto& [label, field, button] : {std::tuple{listLabel, listPath, openList},
                                               std::tuple{folderLabel, folderPath, chooseFolder}}) {
        if (place != nullptr) {
            (*place)(label, margin, y, labelWidth, line);
            (*place)(field, margin + labelWidth + gap, y, fieldWidth, line);
            (*place)(button, margin + width - sideWidth, y, sideWidth, line);
        }
        y += line + gap;
    }
    // The check boxes, then the buttons, each a row that wraps.
    const auto flow = [&](std::initializer_list<HWND> controls, int extra, int least, int height) {
        int x = margin;
        for (HWND control : controls) {
            const int w = std::min(std::max(TextWidth(control, extra), Scaled(least)), width);
            if (x > margin && x + w > margin + width) {
                x = margin;
                y += height + gap;
            }
            if (place != nullptr) (*place)(control, x, y, w, height);
            x += w + gap;
        }
        y += height + gap;
    };
    flow({subfolders, uncached, skipMissing, problemsFirst, problemsOnly}, kBoxExtra, 0, line);
    flow({checkAgain, checkFailed, cancel, copy, saveReport, newList}, kButtonExtra, 80,
         line + Scaled(2));
    // The list's signature, above the rows, its button at the right.
    if (signatureShown_) {
        const int buttonWidth =
            addKeyShown_ ? std::max(TextWidth(addKey, kButtonExtra), Scaled(80)) : 0;
        if (place != nullptr) {
            (*place)(signature, margin, y, width - (addKeyShown_ ? buttonWidth + gap : 0),
                     line + Scaled(2));
            if (addKeyShown_)
                (*place)(addKey, margin + width - buttonWidth, y, buttonWidth, line + Scaled(2));
        }
        y += line + Scaled(2) + gap;
    }
    return y;
}

void VerifyWindowControls::Layout(bool showNotices) {
    RECT client = {};
    GetClientRect(window_, &client);
    const int margin = Scaled(kMargin);
    const int gap = Scaled(kGap);
    const int width = client.right - 2 * margin;
    Placing place(static_cast<int>(all_.size()));
    const int top = FlowTop(width, &place);
    const int statusHeight = Scaled(20);
    const int progressHeight = Scaled(16);
    const int noticesHeight = showNotices ? Scaled(16 * kNoticeLines + 4) : 0;
    int bottom = client.bottom - margin;
    place(statusLine, margin, bottom - statusHeight, width, statusHeight);
    bottom -= statusHeight + gap;
    place(progress, margin, bottom - progressHeight, width, progressHeight);
    bottom -= progressHeight + gap;
    if (showNotices) {
        place(notices, margin, bottom - noticesHeight, width, noticesHeight);
        bottom -= noticesHeight + gap;
    }
    ShowWindow(notices, showNotices ? SW_SHOWNA : SW_HIDE);
    ShowWindow(signature, signatureShown_ ? SW_SHOWNA : SW_HIDE);
    ShowWindow(addKey, addKeyShown_ ? SW_SHOWNA : SW_HIDE);
    place(rows, margin, top, width, bottom - top);
    // Where a control was and none is now: the window's own background.
    InvalidateRect(window_, nullptr, TRUE);
}

SIZE VerifyWindowControls::MinimumWindowSize() const {
    const int margin = Scaled(kMargin);
    const int gap = Scaled(kGap);
    // As narrow as the widest control, or the fields' rows with a field of
    // some width; never below 560 x 320 (at 96 dots per inch).
    int width = Scaled(560) - 2 * margin;
    for (HWND control : {subfolders, uncached, skipMissing, problemsFirst, problemsOnly}) {
        width = std::max(width, TextWidth(control, kBoxExtra));
    }
    for (HWND control : {checkAgain, checkFailed, cancel, copy, saveReport, newList}) {
        width = std::max(width, TextWidth(control, kButtonExtra));
    }
    const int height = FlowTop(width, nullptr) + Scaled(kLeastRows) + gap +
                       Scaled(16 * kNoticeLines + 4) + gap + Scaled(16) + gap + Scaled(20) + margin;
    RECT outer = {0, 0, width + 2 * margin, std::max(height, Scaled(320))};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)),
                       GetMenu(window_) != nullptr,
                       static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    return {outer.right - outer.left, outer.bottom - outer.top};
}

}  // namespace sumbrook
