#include "verifier/OneFileWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

#include "files/FileSize.h"
#include "platform/WideText.h"
#include "platform/WinHandles.h"
#include "verifier/Clipboard.h"
#include "verifier/OneFileJob.h"
#include "verifier/ThroughputMeter.h"
#include "verifier/VerifierControlIds.h"
#include "verifier/WindowObject.h"
#include "verify/FileDigestsRun.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

namespace {

constexpr wchar_t kTitle[] = L"Sumbrook Verify";
constexpr int kProgressSteps = 1000;
constexpr int kMargin = 8;
constexpr int kLine = 24;
constexpr int kLabelWidth = 80;
constexpr int kButtonWidth = 90;
constexpr COLORREF kMatchColour = RGB(0, 128, 0);
constexpr COLORREF kNoMatchColour = RGB(192, 0, 0);

std::string FileNameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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

std::wstring WithCrLf(const std::string& lines) {
    std::wstring text;
    for (const wchar_t c : WideFromUtf8(lines)) {
        if (c == L'\n') text += L'\r';
        text += c;
    }
    return text;
}

class OneFileWindow {
  public:
    OneFileWindow(HWND window, OneFileRequest request)
        : window_(window), request_(std::move(request)) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    enum class Tone { kPlain, kMatch, kNoMatch };

    void Create();
    HWND Add(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
             DWORD extendedStyle = 0);
    void MakeFonts();
    void Layout();
    void Start();
    void OnArrived();
    void ShowVerdict();
    void CopyAll();
    std::optional<PastedDigest> Expected() const;
    int Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }

    HWND window_;
    OneFileRequest request_;
    int dpi_ = 96;
    ScopedFont font_;
    ScopedFont bigFont_;
    std::vector<DigestKind> kinds_;
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
    HWND copyAll_ = nullptr;
    HWND cancel_ = nullptr;
    HWND close_ = nullptr;
    std::vector<HWND> all_;

    std::shared_ptr<std::atomic<HWND>> wakeTarget_ = std::make_shared<std::atomic<HWND>>(nullptr);
    std::unique_ptr<OneFileJob> job_;
    ThroughputMeter meter_;
    FileDigestsOutcome outcome_;
    bool ended_ = false;
    bool closeWhenEnded_ = false;
    int exitCode_ = kExitOk;
    Tone tone_ = Tone::kPlain;

  public:
    int depth = 0;
    bool destroyed = false;
};

HWND OneFileWindow::Add(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                        DWORD extendedStyle) {
    HWND control = CreateChildControl(window_, kind, text, style, id, extendedStyle);
    all_.push_back(control);
    return control;
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
    const std::optional<PastedDigest> given =
        request_.expectGiven ? std::optional<PastedDigest>(ParsePastedDigest(request_.expected))
                             : std::nullopt;
    kinds_ = KindsToCompute(given);
    const DWORD box = WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY;
    nameLabel_ = Add(L"STATIC", L"File:", SS_LEFT | SS_NOPREFIX, -1);
    name_ = Add(L"EDIT", L"", box, ID_FILE_NAME, WS_EX_CLIENTEDGE);
    sizeLabel_ = Add(L"STATIC", L"Size:", SS_LEFT | SS_NOPREFIX, -1);
    size_ = Add(L"EDIT", L"", box, ID_FILE_SIZE, WS_EX_CLIENTEDGE);
    for (std::size_t i = 0; i < kinds_.size(); ++i) {
        const std::wstring label = WideFromUtf8(std::string(DigestKindName(kinds_[i])) + ":");
        HWND labelControl = Add(L"STATIC", label.c_str(), SS_LEFT | SS_NOPREFIX, -1);
        HWND digest =
            Add(L"EDIT", L"", box, ID_FILE_DIGEST_FIRST + static_cast<int>(i), WS_EX_CLIENTEDGE);
        digestBoxes_.emplace_back(labelControl, digest);
    }
    progress_ = Add(PROGRESS_CLASSW, L"", 0, ID_FILE_PROGRESS);
    SendMessageW(progress_, PBM_SETRANGE32, 0, kProgressSteps);
    status_ = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_FILE_STATUS);
    expectedLabel_ = Add(L"STATIC", L"&Expected:", SS_LEFT, -1);
    expected_ = Add(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, ID_EXPECTED, WS_EX_CLIENTEDGE);
    SendMessageW(expected_, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(L"paste the digest the publisher gives"));
    verdict_ = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX, ID_VERDICT);
    detail_ = Add(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_VERDICT_DETAIL);
    copyAll_ = Add(L"BUTTON", L"Copy &all", WS_TABSTOP | BS_PUSHBUTTON, ID_COPY_ALL);
    cancel_ = Add(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, IDCANCEL);
    close_ = Add(L"BUTTON", L"C&lose", WS_TABSTOP | BS_PUSHBUTTON, ID_CLOSE_FILE);
    MakeFonts();
    SetText(name_, FileNameOf(request_.path));
    SetWindowTextW(window_, WideFromUtf8(FileNameOf(request_.path) + " - Sumbrook Verify").c_str());
    std::wstring expected = WideFromUtf8(request_.expected);
    // A script's run (/close) is judged by what it gives only.
    if (!request_.expectGiven && !request_.closeWhenDone) {
        const std::wstring clipboard = TextOnClipboard();
        if (LooksLikeDigest(Utf8FromWide(clipboard))) expected = clipboard;
    }
    SetWindowTextW(expected_, expected.c_str());
}

void OneFileWindow::Layout() {
    RECT client = {};
    GetClientRect(window_, &client);
    const int margin = Scaled(kMargin);
    const int line = Scaled(kLine);
    const int label = Scaled(kLabelWidth);
    const int width = client.right - 2 * margin;
    const int boxWidth = std::max(width - label, 0);
    int y = margin;
    const auto row = [&](HWND left, HWND right) {
        MoveWindow(left, margin, y + Scaled(3), label, line - Scaled(3), FALSE);
        MoveWindow(right, margin + label, y, boxWidth, line - Scaled(2), FALSE);
        y += line;
    };
    row(nameLabel_, name_);
    row(sizeLabel_, size_);
    for (const auto& [labelControl, box] : digestBoxes_) row(labelControl, box);
    y += Scaled(4);
    MoveWindow(progress_, margin, y, width, Scaled(16), FALSE);
    y += Scaled(20);
    MoveWindow(status_, margin, y, width, line - Scaled(4), FALSE);
    y += line;
    row(expectedLabel_, expected_);
    MoveWindow(verdict_, margin, y, width, Scaled(40), FALSE);
    y += Scaled(40);
    MoveWindow(detail_, margin, y, width, line, FALSE);
    y += line + Scaled(4);
    const int button = Scaled(kButtonWidth);
    MoveWindow(copyAll_, margin, y, button, line + Scaled(2), FALSE);
    MoveWindow(cancel_, client.right - margin - 2 * button - Scaled(6), y, button, line + Scaled(2),
               FALSE);
    MoveWindow(close_, client.right - margin - button, y, button, line + Scaled(2), FALSE);
    InvalidateRect(window_, nullptr, TRUE);
}

void OneFileWindow::Start() {
    std::uint64_t size = 0;
    if (QueryFileSize(request_.path, size)) SetText(size_, SizeText(size));
    SetText(status_, "Reading...");
    *wakeTarget_ = window_;
    const std::shared_ptr<std::atomic<HWND>> target = wakeTarget_;
    meter_.Reset();
    job_ = std::make_unique<OneFileJob>(request_.path, kinds_, [target] {
        if (HWND window = target->load()) PostMessageW(window, WM_VERIFIER_RUN_ARRIVED, 0, 0);
    });
    EnableWindow(copyAll_, FALSE);
    EnableWindow(cancel_, TRUE);
    ShowVerdict();
}

void OneFileWindow::OnArrived() {
    if (job_ == nullptr) return;
    OneFileProgress progress = job_->Take();
    if (!progress.finished) {
        meter_.Sample(GetTickCount64(), progress.done);
        const int step = progress.total == 0
                             ? 0
                             : static_cast<int>(progress.done * kProgressSteps / progress.total);
        SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(step), 0);
        std::string status = "Reading... " + SizeText(progress.done);
        const double speed = meter_.BytesPerSecond();
        if (speed > 0.0) status += " \xC2\xB7 " + SpeedText(speed);
        SetText(status_, status);
        return;
    }
    job_.reset();
    ended_ = true;
    outcome_ = std::move(progress.outcome);
    EnableWindow(cancel_, FALSE);
    switch (outcome_.status) {
        case FileDigestsOutcome::Status::kDone:
            SendMessageW(progress_, PBM_SETPOS, kProgressSteps, 0);
            SetText(size_, SizeText(outcome_.size));
            for (std::size_t i = 0; i < digestBoxes_.size() && i < outcome_.digests.size(); ++i) {
                SetText(digestBoxes_[i].second, outcome_.digests[i].Text());
            }
            SetText(status_, "Read " + SizeText(outcome_.size) + ".");
            EnableWindow(copyAll_, TRUE);
            break;
        case FileDigestsOutcome::Status::kCancelled:
            SetText(status_, "Cancelled.");
            break;
        case FileDigestsOutcome::Status::kFailed:
            SetText(status_, "The file cannot be read: " + outcome_.error);
            break;
    }
    ShowVerdict();
    if (request_.closeWhenDone || closeWhenEnded_) PostMessageW(window_, WM_CLOSE, 0, 0);
}

std::optional<PastedDigest> OneFileWindow::Expected() const {
    const std::string text = Utf8FromWide(ControlText(expected_));
    if (text.find_first_not_of(" \t\r\n") == std::string::npos) return std::nullopt;
    return ParsePastedDigest(text);
}

void OneFileWindow::ShowVerdict() {
    const std::optional<PastedDigest> expected = Expected();
    std::string headline;
    std::string detail;
    tone_ = Tone::kPlain;
    if (!expected) {
        detail = "Paste the digest the publisher gives into Expected.";
    } else if (!expected->ok) {
        headline = "NOT A DIGEST";
        detail = expected->error;
    } else if (!ended_ || outcome_.status != FileDigestsOutcome::Status::kDone) {
        detail = ended_ ? "No digest was computed." : "The verdict comes once the file is read.";
    } else {
        const DigestVerdict verdict = JudgePastedDigest(*expected, outcome_.digests);
        headline = VerdictHeadline(verdict);
        detail = VerdictDetail(verdict, *expected);
        if (!verdict.compared.empty()) tone_ = verdict.Match() ? Tone::kMatch : Tone::kNoMatch;
        const std::string name = FileNameOf(request_.path);
        if (expected->name && FileNameOf(*expected->name) != name) {
            detail += "; the line names \"" + *expected->name + "\", this file is \"" + name + "\"";
        }
    }
    SetText(verdict_, headline);
    SetText(detail_, detail);
    InvalidateRect(verdict_, nullptr, TRUE);
    exitCode_ = ended_ ? OneFileExitCode(outcome_, expected) : kExitOk;
}

void OneFileWindow::CopyAll() {
    if (!ended_ || outcome_.status != FileDigestsOutcome::Status::kDone) return;
    if (!PutTextOnClipboard(
            WithCrLf(DigestSumLines(outcome_.digests, FileNameOf(request_.path))))) {
        SetText(status_, "The clipboard cannot be had.");
    }
}

LRESULT OneFileWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Create();
            Layout();
            Start();
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize.x = Scaled(420);
            limits->ptMinTrackSize.y = Scaled(440);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const LRESULT brush = DefWindowProcW(window_, message, wParam, lParam);
            if (reinterpret_cast<HWND>(lParam) == verdict_ && tone_ != Tone::kPlain) {
                SetTextColor(reinterpret_cast<HDC>(wParam),
                             tone_ == Tone::kMatch ? kMatchColour : kNoMatchColour);
            }
            return brush;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case ID_EXPECTED:
                    if (HIWORD(wParam) == EN_CHANGE) ShowVerdict();
                    return 0;
                case ID_COPY_ALL:
                    CopyAll();
                    return 0;
                case IDCANCEL:
                    if (job_ != nullptr) {
                        job_->Cancel();
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
            return exitCode_;
        case WM_VERIFIER_RUNNING:
            return job_ != nullptr ? 1 : 0;
        case WM_CLOSE:
            // A read going on is asked to stop; the window goes when its end
            // arrives.
            if (job_ != nullptr) {
                job_->Cancel();
                closeWhenEnded_ = true;
                return 0;
            }
            DestroyWindow(window_);
            return 0;
        case WM_DESTROY:
            *wakeTarget_ = nullptr;
            if (job_ != nullptr) {
                job_->Cancel();
                exitCode_ = kExitCancelled;
            }
            if (request_.quitOnDestroy) PostQuitMessage(exitCode_);
            return 0;
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
