#include "verifier/win/OneFileWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "platform/WideText.h"
#include "platform/WinHandles.h"
#include "signature/KeyStore.h"
#include "verifier/OneFileController.h"
#include "verifier/ThroughputMeter.h"
#include "verifier/win/Clipboard.h"
#include "verifier/win/KeyDialogs.h"
#include "verifier/win/RowListView.h"
#include "verifier/win/VerifierControlIds.h"
#include "verifier/win/WindowObject.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

namespace {

constexpr wchar_t kTitle[] = L"Sumbrook Verify";
constexpr int kProgressSteps = 1000;
constexpr int kMargin = 8;
constexpr int kLine = 24;
constexpr int kLabelWidth = 80;
constexpr int kButtonWidth = 90;
constexpr int kMinimumWidth = 420;  // of the window, at 96 dots per inch
constexpr COLORREF kMatchColour = RGB(0, 128, 0);
constexpr COLORREF kNoMatchColour = RGB(192, 0, 0);
// A match of a kind that detects damage only: amber, not the green of a
// match that stands for the file.
constexpr COLORREF kDamageOnlyColour = RGB(176, 96, 0);
// Expected takes no more of a paste than a digest line could be.
constexpr std::size_t kPasteLimit = 4096;

// "1,234,567 bytes".
std::string SizeText(std::uint64_t size) {
    std::string digits = std::to_string(size);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits + (size == 1 ? " byte" : " bytes");
}

std::wstring ControlText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void SetText(HWND control, const std::string& text) {
    SetWindowTextW(control, WideFromUtf8(text).c_str());
}

// The lines a digest box needs to show its text whole at `width` pixels.
int DigestBoxLines(HWND box, int width) {
    const std::wstring text = ControlText(box);
    if (text.empty() || width <= 0) return 1;
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    ReleaseDC(box, dc);
    // The box's frame and margins take about 8 pixels of its width.
    const int inner = std::max(width - 8, 1);
    return std::max(1, std::min(4, static_cast<int>((extent.cx + inner - 1) / inner)));
}

std::wstring WithCrLf(const std::string& lines) {
    std::wstring text;
    for (const wchar_t c : WideFromUtf8(lines)) {
        if (c == L'\n') text += L'\r';
        text += c;
    }
    return text;
}

// Expected's own paste (TrimmedPaste): a single-line box keeps a pasted
// text only up to its first line break.
LRESULT CALLBACK ExpectedBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR /*id*/, DWORD_PTR /*data*/) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(box, ExpectedBoxProc, 0);
    if (message != WM_PASTE) return DefSubclassProc(box, message, wParam, lParam);
    const std::wstring text =
        WideFromUtf8(TrimmedPaste(Utf8FromWide(TextOnClipboard(kPasteLimit))));
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
}

// A digest box is multi-line only to wrap: the dialog keys (Tab, Esc,
// Enter) stay the window's.
LRESULT CALLBACK DigestBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR /*id*/, DWORD_PTR /*data*/) {
    const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
    if (message == WM_GETDLGCODE) return result & ~(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE);
    if (message == WM_NCDESTROY) RemoveWindowSubclass(box, DigestBoxProc, 0);
    return result;
}

class OneFileWindow {
  public:
    OneFileWindow(HWND window, OneFileRequest request)
        : window_(window),
          request_(std::move(request)),
          controller_(request_.path, [target = wakeTarget_] {
              if (HWND to = target->load()) PostMessageW(to, WM_VERIFIER_RUN_ARRIVED, 0, 0);
          }) {
        controller_.CheckSignature(request_.signature, DefaultKeyStoreFolder());
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Create();
    HWND Add(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
             DWORD extendedStyle = 0);
    void AddDigestRows();
    void MakeFonts();
    int ContentHeight(int clientWidth) const;
    void Layout();
    void FitHeight();
    void Start();
    void OnArrived();
    void ShowDigests();
    void ReadingMore();
    void ShowVerdict();
    void ShowSignature();
    void AddKey();
    void SaveReport();
    int ExitCode() const;
    void CopyAll();
    int Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    HWND window_;
    OneFileRequest request_;
    std::shared_ptr<std::atomic<HWND>> wakeTarget_ = std::make_shared<std::atomic<HWND>>(nullptr);
    OneFileController controller_;
    int dpi_ = 96;
    ScopedFont font_;
    ScopedFont bigFont_;
    HWND name_ = nullptr;
    HWND nameLabel_ = nullptr;
    HWND size_ = nullptr;
    HWND sizeLabel_ = nullptr;
    std::vector<std::pair<HWND, HWND>> digestBoxes_;  // label, box
    HWND progress_ = nullptr;
    HWND status_ = nullptr;
    HWND expectedLabel_ = nullptr;
    HWND expected_ = nullptr;
    HWND verdict_ = nullptr;
    HWND detail_ = nullptr;
    HWND signature_ = nullptr;
    HWND addKey_ = nullptr;
    HWND copyAll_ = nullptr;
    HWND cancel_ = nullptr;
    HWND close_ = nullptr;
    std::vector<HWND> all_;
    ThroughputMeter meter_;
    bool closeWhenEnded_ = false;
    bool reportFailed_ = false;

  public:
    int depth = 0;
    bool destroyed = false;
};

HWND OneFileWindow::Add(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                        DWORD extendedStyle) {
    HWND control = CreateChildControl(window_, kind, text, style, id, extendedStyle);
    all_.push_back(control);
    if (font_.Get() != nullptr) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    return control;
}

// A label and a box for each kind shown that has none yet, after those
// there are (and before Expected in the Tab order).
void OneFileWindow::AddDigestRows() {
    const std::vector<DigestKind>& kinds = controller_.Kinds();
    for (std::size_t i = digestBoxes_.size(); i < kinds.size(); ++i) {
        const std::wstring label = WideFromUtf8(std::string(DigestKindName(kinds[i])) + ":");
        HWND labelControl = Add(L"STATIC", label.c_str(), SS_LEFT | SS_NOPREFIX, -1);
        // Multi-line, so that a digest wider than its box wraps (Layout
        // gives it the lines it needs) instead of being cut.
        HWND digest = Add(L"EDIT", L"", WS_TABSTOP | ES_MULTILINE | ES_READONLY,
                          ID_FILE_DIGEST_FIRST + static_cast<int>(i), WS_EX_CLIENTEDGE);
        SetWindowSubclass(digest, DigestBoxProc, 0, 0);
        HWND after = digestBoxes_.empty() ? size_ : digestBoxes_.back().second;
        SetWindowPos(labelControl, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetWindowPos(digest, labelControl, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        digestBoxes_.emplace_back(labelControl, digest);
    }
}

void OneFileWindow::MakeFonts() {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
    font_.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
    LOGFONTW big = metrics.lfMessageFont;
    big.lfHeight *= 2;
    big.lfWeight = FW_BOLD;
    bigFont_.Reset(CreateFontIndirectW(&big));
    for (HWND control : all_) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    }
    SendMessageW(verdict_, WM_SETFONT, reinterpret_cast<WPARAM>(bigFont_.Get()), FALSE);
}

void OneFileWindow::Create() {
    HDC screen = GetDC(window_);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(window_, screen);
    const DWORD box = WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
    nameLabel_ = Add(L"STATIC", L"File:", SS_LEFT | SS_NOPREFIX, -1);
    name_ = Add(L"EDIT", L"", box, ID_FILE_NAME, WS_EX_CLIENTEDGE);
    sizeLabel_ = Add(L"STATIC", L"Size:", SS_LEFT | SS_NOPREFIX, -1);
    size_ = Add(L"EDIT", L"", box, ID_FILE_SIZE, WS_EX_CLIENTEDGE);
    progress_ = Add(PROGRESS_CLASSW, L"", 0, ID_FILE_PROGRESS);
    SendMessageW(progress_, PBM_SETRANGE32, 0, kProgressSteps);
    status_ = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_FILE_STATUS);
    expectedLabel_ = Add(L"STATIC", L"&Expected:", SS_LEFT, -1);
    expected_ = Add(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, ID_EXPECTED, WS_EX_CLIENTEDGE);
    SendMessageW(expected_, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(L"paste the digest the publisher gives"));
    SetWindowSubclass(expected_, ExpectedBoxProc, 0, 0);
    verdict_ = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, ID_VERDICT);
    detail_ = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_VERDICT_DETAIL);
    signature_ = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, ID_FILE_SIGNATURE);
    addKey_ = Add(L"BUTTON", L"Add &key...", WS_TABSTOP | BS_PUSHBUTTON, ID_FILE_ADD_KEY);
    ShowWindow(signature_, SW_HIDE);
    ShowWindow(addKey_, SW_HIDE);
    copyAll_ = Add(L"BUTTON", L"Copy &all", WS_TABSTOP | BS_PUSHBUTTON, ID_COPY_ALL);
    cancel_ = Add(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    close_ = Add(L"BUTTON", L"C&lose", WS_TABSTOP | BS_PUSHBUTTON, ID_CLOSE_FILE);
    MakeFonts();
    SetText(name_, controller_.Name());
    SetWindowTextW(window_, WideFromUtf8(controller_.Name() + " - Sumbrook Verify").c_str());
    // The digest known before the read is read with the others: the
    // command line's, or the clipboard's when it offers one.
    std::wstring expected = WideFromUtf8(request_.expected);
    bool whole = false;
    const std::wstring clipboard = request_.expectGiven || request_.closeWhenDone
                                       ? std::wstring()
                                       : TextOnClipboard(kClipboardLookLength, &whole);
    if (OffersClipboardDigest(request_.expectGiven, request_.closeWhenDone, Utf8FromWide(clipboard),
                              whole)) {
        expected = clipboard;
    }
    controller_.SetExpected(Utf8FromWide(expected));
    SetWindowTextW(expected_, expected.c_str());
}

// The height of everything at a client area `clientWidth` wide, its digest
// boxes as high as their digests need there.
int OneFileWindow::ContentHeight(int clientWidth) const {
    const int width = std::max(clientWidth - 2 * Scaled(kMargin) - Scaled(kLabelWidth), 0);
    int height = 2 * Scaled(kMargin) + 2 * Scaled(kLine);
    for (const auto& row : digestBoxes_)
        height += DigestBoxLines(row.second, width) * Scaled(kLine);
    if (controller_.SignatureLine().shown) height += 2 * Scaled(kLine);
    return height + Scaled(4) + Scaled(20) + 2 * Scaled(kLine) + Scaled(40) + Scaled(kLine) +
           Scaled(4) + Scaled(kLine) + Scaled(2);
}

void OneFileWindow::Layout() {
    RECT client = {};
    GetClientRect(window_, &client);
    const int margin = Scaled(kMargin);
    const int line = Scaled(kLine);
    const int label = Scaled(kLabelWidth);
    const int width = static_cast<int>(client.right) - 2 * margin;
    const int boxWidth = std::max(width - label, 0);
    // Every child moved is drawn again where it now is (WS_CLIPCHILDREN
    // keeps the parent from painting over them).
    HDWP moves = BeginDeferWindowPos(static_cast<int>(all_.size()));
    const auto place = [&moves](HWND control, int x, int y, int cx, int cy) {
        if (moves != nullptr) {
            moves = DeferWindowPos(moves, control, nullptr, x, y, cx, cy,
                                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
        }
    };
    int y = margin;
    const auto row = [&](HWND left, HWND right, int lines) {
        place(left, margin, y + Scaled(3), label, line - Scaled(3));
        place(right, margin + label, y, boxWidth, lines * line - Scaled(2));
        y += lines * line;
    };
    row(nameLabel_, name_, 1);
    row(sizeLabel_, size_, 1);
    for (const auto& [labelControl, box] : digestBoxes_) {
        row(labelControl, box, DigestBoxLines(box, boxWidth));
    }
    y += Scaled(4);
    place(progress_, margin, y, width, Scaled(16));
    y += Scaled(20);
    place(status_, margin, y, width, line - Scaled(4));
    y += line;
    row(expectedLabel_, expected_, 1);
    place(verdict_, margin, y, width, Scaled(40));
    y += Scaled(40);
    place(detail_, margin, y, width, line);
    y += line + Scaled(4);
    const int button = Scaled(kButtonWidth);
    // The signature's line (two lines of text: a user ID and a fingerprint
    // are long), Add key... beside it when offered.
    if (controller_.SignatureLine().shown) {
        const bool offers = controller_.SignatureLine().offersAddKey;
        place(signature_, margin, y, width - (offers ? button + Scaled(6) : 0),
              2 * line - Scaled(4));
        if (offers) place(addKey_, client.right - margin - button, y, button, line + Scaled(2));
        y += 2 * line;
    }
    place(copyAll_, margin, y, button, line + Scaled(2));
    place(cancel_, client.right - margin - 2 * button - Scaled(6), y, button, line + Scaled(2));
    place(close_, client.right - margin - button, y, button, line + Scaled(2));
    if (moves != nullptr) EndDeferWindowPos(moves);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Makes the window as high as what it shows needs (the rows of a read of
// more kinds, digests that wrap), then lays it out.
void OneFileWindow::FitHeight() {
    RECT client = {};
    GetClientRect(window_, &client);
    const int more = ContentHeight(static_cast<int>(client.right)) - client.bottom;
    if (more > 0 && !IsZoomed(window_) && !IsIconic(window_)) {
        RECT frame = {};
        GetWindowRect(window_, &frame);
        SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left,
                     frame.bottom - frame.top + more, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    Layout();
}

void OneFileWindow::Start() {
    SetText(status_, "Reading...");
    *wakeTarget_ = window_;
    meter_.Reset();
    controller_.Start();
    SetText(size_, SizeText(controller_.Size()));
    AddDigestRows();
    EnableWindow(copyAll_, FALSE);
    EnableWindow(cancel_, TRUE);
    ShowVerdict();
}

void OneFileWindow::ShowDigests() {
    for (std::size_t i = 0; i < digestBoxes_.size(); ++i) {
        const std::optional<Digest>& digest = controller_.DigestAt(i);
        SetText(digestBoxes_[i].second, digest ? digest->Text() : std::string());
    }
}

void OneFileWindow::OnArrived() {
    const OneFileController::Changes changes = controller_.Take();
    if (changes.progressed) {
        meter_.Sample(GetTickCount64(), controller_.Done());
        const std::uint64_t total = controller_.Total();
        const int step =
            total == 0 ? 0 : static_cast<int>(controller_.Done() * kProgressSteps / total);
        SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(step), 0);
        std::string status = "Reading... " + SizeText(controller_.Done());
        const double speed = meter_.BytesPerSecond();
        if (speed > 0.0) status += " \xC2\xB7 " + SpeedText(speed);
        SetText(status_, status);
        return;
    }
    if (!changes.ended) return;
    ShowDigests();
    if (controller_.Running()) return ReadingMore();
    FitHeight();
    EnableWindow(cancel_, FALSE);
    switch (*controller_.LastEnd()) {
        case FileDigestsOutcome::Status::kDone:
            SendMessageW(progress_, PBM_SETPOS, kProgressSteps, 0);
            SetText(size_, SizeText(controller_.Size()));
            SetText(status_, "Read " + SizeText(controller_.Size()) + ".");
            break;
        case FileDigestsOutcome::Status::kCancelled:
            SetText(status_, "Cancelled.");
            break;
        case FileDigestsOutcome::Status::kFailed:
            SetText(status_, "The file cannot be read: " + controller_.Failure());
            break;
    }
    EnableWindow(copyAll_, controller_.AnyRead() && !controller_.Running() ? TRUE : FALSE);
    ShowVerdict();
    ShowSignature();
    if (!request_.report.empty()) SaveReport();
    if (request_.closeWhenDone || closeWhenEnded_) PostMessageW(window_, WM_CLOSE, 0, 0);
}

void OneFileWindow::ShowSignature() {
    const SignatureBanner& line = controller_.SignatureLine();
    SetText(signature_, line.text);
    ShowWindow(signature_, line.shown ? SW_SHOWNA : SW_HIDE);
    ShowWindow(addKey_, line.offersAddKey ? SW_SHOWNA : SW_HIDE);
    EnableWindow(addKey_, controller_.Running() ? FALSE : TRUE);
    InvalidateRect(signature_, nullptr, TRUE);
    FitHeight();
}

// A key added: the signature alone is checked again, in a read of its own.
void OneFileWindow::AddKey() {
    if (controller_.Running()) return;
    if (!AddKeyFromFile(window_) || destroyed || !controller_.CheckSignatureAgain()) return;
    meter_.Reset();
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
    SetText(status_, "Reading the file again for its signature...");
    EnableWindow(cancel_, TRUE);
    EnableWindow(addKey_, FALSE);
}

// The report a script asked for, once each read ends; a report that
// cannot be written makes the exit code 2 and is said on the status line.
void OneFileWindow::SaveReport() {
    const std::string failed = controller_.SaveReport(request_.report);
    reportFailed_ = !failed.empty();
    if (reportFailed_) SetText(status_, "The report was not written: " + failed);
}

int OneFileWindow::ExitCode() const {
    const int code = controller_.ExitCode();
    return reportFailed_ && code != kExitCancelled ? kExitError : code;
}

// A read of the kinds the expected digest still needs began: their rows,
// and the read's progress from its start.
void OneFileWindow::ReadingMore() {
    AddDigestRows();
    FitHeight();
    meter_.Reset();
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
    SetText(status_, "Reading again for the expected digest's algorithm...");
    EnableWindow(cancel_, TRUE);
    EnableWindow(copyAll_, FALSE);
    ShowVerdict();
}

void OneFileWindow::ShowVerdict() {
    const OneFileVerdict& verdict = controller_.Verdict();
    SetText(verdict_, verdict.headline);
    SetText(detail_, verdict.detail);
    InvalidateRect(verdict_, nullptr, TRUE);
}

void OneFileWindow::CopyAll() {
    if (!controller_.AnyRead()) return;
    if (!PutTextOnClipboard(WithCrLf(controller_.SumLines()))) {
        SetText(status_, "The clipboard cannot be had.");
    }
}

LRESULT OneFileWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Create();
            Start();
            FitHeight();
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            // As high as what it shows needs at its narrowest, where the
            // digests wrap the most.
            RECT frame = {0, 0, Scaled(kMinimumWidth), 0};
            AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
            const int frameWidth = frame.right - frame.left - Scaled(kMinimumWidth);
            frame = {0, 0, 0, ContentHeight(Scaled(kMinimumWidth) - frameWidth)};
            AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_CONTROLPARENT);
            limits->ptMinTrackSize.x = Scaled(kMinimumWidth);
            limits->ptMinTrackSize.y =
                std::max(Scaled(440), static_cast<int>(frame.bottom - frame.top));
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const LRESULT brush = DefWindowProcW(window_, message, wParam, lParam);
            if (reinterpret_cast<HWND>(lParam) == signature_) {
                SetTextColor(reinterpret_cast<HDC>(wParam),
                             ToneColour(controller_.SignatureLine().tone));
            }
            if (reinterpret_cast<HWND>(lParam) == verdict_) {
                const VerdictTone tone = controller_.Verdict().tone;
                if (tone != VerdictTone::kPlain) {
                    SetTextColor(reinterpret_cast<HDC>(wParam),
                                 tone == VerdictTone::kMatch             ? kMatchColour
                                 : tone == VerdictTone::kDamageOnlyMatch ? kDamageOnlyColour
                                                                         : kNoMatchColour);
                }
            }
            return brush;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case ID_EXPECTED:
                    if (HIWORD(wParam) != EN_CHANGE) return 0;
                    if (!controller_.SetExpected(Utf8FromWide(ControlText(expected_)))) return 0;
                    if (controller_.Running() && !IsWindowEnabled(cancel_)) {
                        ReadingMore();
                    } else {
                        ShowVerdict();
                    }
                    return 0;
                case ID_COPY_ALL:
                    CopyAll();
                    return 0;
                case ID_FILE_ADD_KEY:
                    AddKey();
                    return 0;
                case IDCANCEL:
                    if (controller_.Running()) {
                        controller_.Cancel();
                        SetText(status_, "Cancelling...");
                    } else {
                        PostMessageW(window_, WM_CLOSE, 0, 0);
                    }
                    return 0;
                case ID_CLOSE_FILE:
                    PostMessageW(window_, WM_CLOSE, 0, 0);
                    return 0;
                default:
                    return 0;
            }
        case WM_VERIFIER_RUN_ARRIVED:
            OnArrived();
            return 0;
        case WM_VERIFIER_EXIT_CODE:
            return ExitCode();
        case WM_VERIFIER_RUNNING:
            return controller_.Running() ? 1 : 0;
        case WM_CLOSE:
            // A read going on is asked to stop; the window goes when its end
            // arrives.
            if (controller_.Running()) {
                controller_.Cancel();
                closeWhenEnded_ = true;
                return 0;
            }
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY: {
            *wakeTarget_ = nullptr;
            const bool running = controller_.Running();
            controller_.Cancel();
            if (request_.quitOnDestroy) {
                PostQuitMessage(running ? kExitCancelled : ExitCode());
            }
            return 0;
        }
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

struct WindowStart {
    const OneFileRequest* request;
};

LRESULT CALLBACK OneFileWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchToWindowObject<OneFileWindow>(
        window, message, wParam, lParam, [window](const CREATESTRUCTW& create) {
            const auto* start = static_cast<const WindowStart*>(create.lpCreateParams);
            return new OneFileWindow(window, *start->request);
        });
}

bool RegisterOneFileWindowClass(HINSTANCE instance) {
    return RegisterProgramWindowClass(instance, kOneFileWindowClass, OneFileWindowProc);
}

bool IsOneFileWindow(HWND window) {
    wchar_t name[64] = {};
    return window != nullptr && GetClassNameW(window, name, 64) > 0 &&
           std::wstring(name) == kOneFileWindowClass;
}

}  // namespace

HWND CreateOneFileWindow(HINSTANCE instance, const OneFileRequest& request, HWND owner, int show) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterOneFileWindowClass(instance)) return nullptr;
    WindowStart start{&request};
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    HWND window = CreateWindowExW(WS_EX_CONTROLPARENT, kOneFileWindowClass, kTitle,
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                                  CW_USEDEFAULT, MulDiv(800, dpi, 96), MulDiv(440, dpi, 96), owner,
                                  nullptr, instance, &start);
    if (window == nullptr) return nullptr;
    ShowWindow(window, show);
    return window;
}

bool TranslateOneFileWindowMessage(MSG* message) {
    HWND root = message->hwnd != nullptr ? GetAncestor(message->hwnd, GA_ROOT) : nullptr;
    if (!IsOneFileWindow(root)) return false;
    return IsDialogMessageW(root, message) != FALSE;
}

}  // namespace sumbrook
