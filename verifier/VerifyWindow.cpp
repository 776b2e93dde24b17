#include "verifier/VerifyWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/ReplacingFileWriter.h"
#include "platform/WideText.h"
#include "verifier/CheckJob.h"
#include "verifier/CheckReport.h"
#include "verifier/ExplorerVerbs.h"
#include "verifier/FileChoosers.h"
#include "verifier/ListMaking.h"
#include "verifier/RowTable.h"
#include "verifier/StatusLineText.h"
#include "verifier/StatusTone.h"
#include "verifier/ThroughputMeter.h"
#include "verifier/VerifierControlIds.h"
#include "verifier/VerifyWindowMenu.h"
#include "verify/CheckRun.h"
#include "verify/ReportText.h"
#include "verify/RunExitCode.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

constexpr wchar_t kProgramTitle[] = L"Sumbrook Verify";
// While a run goes on, what came and is not shown yet is shown at this pace.
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT kShowIntervalMs = 200;
constexpr int kProgressSteps = 1000;

constexpr RowColumn kColumns[kRowColumnCount] = {RowColumn::kStatus,   RowColumn::kName,
                                                 RowColumn::kExpected, RowColumn::kFound,
                                                 RowColumn::kSize,     RowColumn::kDetail};
constexpr int kColumnWidths[kRowColumnCount] = {90, 300, 75, 75, 90, 260};

// The part of `path` after its last separator.
std::string FileNamePart(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string FolderPart(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string WindowText(HWND control) {
    const int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return Utf8FromWide(text);
}

void SetText(HWND control, const std::string& text) {
    SetWindowTextW(control, WideFromUtf8(text).c_str());
}

bool IsChecked(HWND button) {
    return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

COLORREF ToneColour(StatusTone tone) {
    switch (tone) {
        case StatusTone::kGood:
            return RGB(0, 128, 0);
        case StatusTone::kBad:
            return RGB(200, 0, 0);
        case StatusTone::kWarning:
            return RGB(176, 112, 0);
        case StatusTone::kPlain:
            break;
    }
    return GetSysColor(COLOR_WINDOWTEXT);
}

// The message font of the system, owned.
class ScopedFont {
  public:
    ScopedFont() {
        NONCLIENTMETRICSW metrics = {};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
            font_ = CreateFontIndirectW(&metrics.lfMessageFont);
        }
    }
    ~ScopedFont() {
        if (font_ != nullptr) DeleteObject(font_);
    }
    ScopedFont(const ScopedFont&) = delete;
    ScopedFont& operator=(const ScopedFont&) = delete;
    HFONT Get() const {
        return font_ != nullptr ? font_ : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }

  private:
    HFONT font_ = nullptr;
};

// What the window is doing.
enum class RunKind { kNone, kCheck, kNewList };

class VerifyWindow {
  public:
    VerifyWindow(HWND window, const VerifierRequest& request)
        : window_(window), request_(request) {}

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Create();
    HWND AddControl(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                    DWORD extendedStyle = 0);
    void Layout();
    int Scaled(int pixels) const { return MulDiv(pixels, dpi_, 96); }
    void StartRequest();
    void UpdateTitle();
    void UpdateButtons();

    void OpenList(const std::string& path);
    void StartCheck(bool failedOnly);
    // Asks for what is not given: the folder, where the list goes.
    void StartNewList(const std::string& folder, const std::string& saveAs);
    void StartJob(RunKind kind, CheckJob::Run run, const CheckOptions& options,
                  std::set<std::string> only, bool useOnly);
    void Drain();
    void ShowRun();
    void Finish(const CheckOutcome& outcome);
    void ShowRefusal(const CheckOutcome& outcome);
    void ShowStatusLine();
    void CancelAndWait();

    void OnCommand(int id);
    LRESULT OnNotify(NMHDR* header);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* draw);
    void OnGetDisplayInfo(NMLVDISPINFOW* info);
    void OnColumnClick(int column);
    void ApplyOrder(const RowOrder& order);
    void ClearSelection();
    void CopyRows();
    void SelectAllRows();
    void SaveReport();
    std::string AskReportPath();
    void ShowError(const std::string& text);

    HWND window_;
    VerifierRequest request_;
    int dpi_ = 96;
    ScopedFont font_;
    HWND listPath_ = nullptr;
    HWND openList_ = nullptr;
    HWND folderLabel_ = nullptr;
    HWND listLabel_ = nullptr;
    HWND folderPath_ = nullptr;
    HWND chooseFolder_ = nullptr;
    HWND subfolders_ = nullptr;
    HWND uncached_ = nullptr;
    HWND checkAgain_ = nullptr;
    HWND checkFailed_ = nullptr;
    HWND cancel_ = nullptr;
    HWND copy_ = nullptr;
    HWND saveReport_ = nullptr;
    HWND newList_ = nullptr;
    HWND problemsFirst_ = nullptr;
    HWND problemsOnly_ = nullptr;
    HWND rows_ = nullptr;
    HWND progress_ = nullptr;
    HWND statusLine_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HWND lastFocus_ = nullptr;

    std::string list_;
    RowTable table_;
    std::unique_ptr<CheckJob> job_;
    RunKind runKind_ = RunKind::kNone;
    RunKind lastKind_ = RunKind::kNone;
    CheckPlan plan_;
    CheckProgress done_;
    StatusCounts counts_;
    ThroughputMeter meter_;
    StatusLineFacts::Phase phase_ = StatusLineFacts::Phase::kDone;
    bool haveOutcome_ = false;
    CheckOutcome outcome_;
    std::string newListPath_;
    int exitCode_ = kExitOk;
    int shownProgress_ = -1;
    bool rowsUnshown_ = false;
    ULONGLONG lastShown_ = 0;
    std::wstring displayText_;  // the cell text the list view was last given
};

HWND VerifyWindow::AddControl(const wchar_t* kind, const wchar_t* text, DWORD style, int id,
                              DWORD extendedStyle) {
    HWND control = CreateWindowExW(
        extendedStyle, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE)), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    return control;
}

void VerifyWindow::Create() {
    HDC screen = GetDC(window_);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(window_, screen);

    listLabel_ = AddControl(L"STATIC", L"&List:", SS_LEFT | SS_CENTERIMAGE, -1);
    listPath_ = AddControl(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL | ES_READONLY, ID_LIST_PATH,
                           WS_EX_CLIENTEDGE);
    openList_ = AddControl(L"BUTTON", L"&Open...", WS_TABSTOP | BS_PUSHBUTTON, ID_OPEN_LIST);
    folderLabel_ = AddControl(L"STATIC", L"&Folder:", SS_LEFT | SS_CENTERIMAGE, -1);
    folderPath_ =
        AddControl(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, ID_FOLDER_PATH, WS_EX_CLIENTEDGE);
    SendMessageW(folderPath_, EM_SETCUEBANNER, TRUE,
                 reinterpret_cast<LPARAM>(L"as the list says (the protocol's folder, or the "
                                          L"list's own)"));
    chooseFolder_ =
        AddControl(L"BUTTON", L"Fol&der...", WS_TABSTOP | BS_PUSHBUTTON, ID_CHOOSE_FOLDER);
    subfolders_ =
        AddControl(L"BUTTON", L"&Subfolders", WS_TABSTOP | BS_AUTOCHECKBOX, ID_SUBFOLDERS);
    uncached_ = AddControl(L"BUTTON", L"&Read from the disk, past the cache",
                           WS_TABSTOP | BS_AUTOCHECKBOX, ID_UNCACHED);
    problemsFirst_ =
        AddControl(L"BUTTON", L"&Problems first", WS_TABSTOP | BS_AUTOCHECKBOX, ID_PROBLEMS_FIRST);
    problemsOnly_ =
        AddControl(L"BUTTON", L"Only pro&blems", WS_TABSTOP | BS_AUTOCHECKBOX, ID_PROBLEMS_ONLY);
    checkAgain_ =
        AddControl(L"BUTTON", L"Check &again", WS_TABSTOP | BS_DEFPUSHBUTTON, ID_CHECK_AGAIN);
    checkFailed_ = AddControl(L"BUTTON", L"Check fail&ed again", WS_TABSTOP | BS_PUSHBUTTON,
                              ID_CHECK_FAILED_AGAIN);
    cancel_ = AddControl(L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, ID_CANCEL_RUN);
    copy_ = AddControl(L"BUTTON", L"&Copy", WS_TABSTOP | BS_PUSHBUTTON, ID_COPY);
    saveReport_ =
        AddControl(L"BUTTON", L"Sa&ve report...", WS_TABSTOP | BS_PUSHBUTTON, ID_SAVE_REPORT);
    newList_ = AddControl(L"BUTTON", L"&New list...", WS_TABSTOP | BS_PUSHBUTTON, ID_NEW_LIST);
    rows_ =
        AddControl(WC_LISTVIEWW, L"", WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                   ID_ROWS, WS_EX_CLIENTEDGE);
    SendMessageW(rows_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    for (int i = 0; i < kRowColumnCount; ++i) {
        const std::wstring title = WideFromUtf8(RowColumnTitle(kColumns[i]));
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        column.fmt = kColumns[i] == RowColumn::kSize ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = Scaled(kColumnWidths[i]);
        column.pszText = const_cast<wchar_t*>(title.c_str());
        column.iSubItem = i;
        SendMessageW(rows_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&column));
    }
    progress_ = AddControl(PROGRESS_CLASSW, L"", 0, ID_PROGRESS);
    SendMessageW(progress_, PBM_SETRANGE32, 0, kProgressSteps);
    statusLine_ =
        AddControl(L"STATIC", L"", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, ID_STATUS_LINE);

    SetMenu(window_, CreateVerifyWindowMenu());
    accelerators_ = CreateVerifyWindowAccelerators();
    SendMessageW(subfolders_, BM_SETCHECK, request_.recursive ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(uncached_, BM_SETCHECK, request_.uncached ? BST_CHECKED : BST_UNCHECKED, 0);
    if (request_.start == VerifierRequest::Start::kCheck) SetText(folderPath_, request_.folder);
    DragAcceptFiles(window_, TRUE);
    UpdateTitle();
    UpdateButtons();
    ShowStatusLine();
}

void VerifyWindow::Layout() {
    RECT client = {};
    GetClientRect(window_, &client);
    const int margin = Scaled(8);
    const int gap = Scaled(6);
    const int line = Scaled(24);
    const int labelWidth = Scaled(50);
    const int buttonWidth = Scaled(118);
    const int width = client.right - 2 * margin;
    int y = margin;
    const auto place = [](HWND control, int x, int top, int w, int h) {
        SetWindowPos(control, nullptr, x, top, std::max(w, 0), h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    const int fieldWidth = width - labelWidth - buttonWidth - 2 * gap;
    place(listLabel_, margin, y, labelWidth, line);
    place(listPath_, margin + labelWidth + gap, y, fieldWidth, line);
    place(openList_, client.right - margin - buttonWidth, y, buttonWidth, line);
    y += line + gap;
    place(folderLabel_, margin, y, labelWidth, line);
    place(folderPath_, margin + labelWidth + gap, y, fieldWidth, line);
    place(chooseFolder_, client.right - margin - buttonWidth, y, buttonWidth, line);
    y += line + gap;
    int x = margin;
    place(subfolders_, x, y, Scaled(110), line);
    x += Scaled(110) + gap;
    place(uncached_, x, y, Scaled(240), line);
    x += Scaled(240) + gap;
    place(problemsFirst_, x, y, Scaled(120), line);
    x += Scaled(120) + gap;
    place(problemsOnly_, x, y, Scaled(120), line);
    y += line + gap;
    x = margin;
    for (HWND button : {checkAgain_, checkFailed_, cancel_, copy_, saveReport_, newList_}) {
        place(button, x, y, buttonWidth, line + Scaled(2));
        x += buttonWidth + gap;
    }
    y += line + Scaled(2) + gap;
    const int statusHeight = Scaled(20);
    const int progressHeight = Scaled(16);
    const int bottom = client.bottom - margin;
    place(statusLine_, margin, bottom - statusHeight, width, statusHeight);
    place(progress_, margin, bottom - statusHeight - gap - progressHeight, width, progressHeight);
    place(rows_, margin, y, width, bottom - statusHeight - 2 * gap - progressHeight - y);
}

void VerifyWindow::UpdateTitle() {
    const std::wstring title = list_.empty()
                                   ? std::wstring(kProgramTitle)
                                   : WideFromUtf8(FileNamePart(list_)) + L" - " + kProgramTitle;
    SetWindowTextW(window_, title.c_str());
}

void VerifyWindow::UpdateButtons() {
    const bool running = job_ != nullptr;
    const bool haveList = !list_.empty();
    EnableWindow(cancel_, running);
    EnableWindow(checkAgain_, !running && haveList);
    EnableWindow(checkFailed_, !running && haveList && lastKind_ == RunKind::kCheck &&
                                   !table_.ProblemNames().empty());
    EnableWindow(saveReport_, !running && haveOutcome_ && lastKind_ == RunKind::kCheck);
    EnableWindow(openList_, !running);
    EnableWindow(newList_, !running);
    EnableWindow(folderPath_, !running);
    EnableWindow(chooseFolder_, !running);
    EnableWindow(subfolders_, !running);
    EnableWindow(uncached_, !running);
    HMENU menu = GetMenu(window_);
    const auto enable = [menu](int id, bool on) {
        EnableMenuItem(menu, static_cast<UINT>(id),
                       static_cast<UINT>(MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)));
    };
    enable(ID_CANCEL_RUN, running);
    enable(ID_CHECK_AGAIN, !running && haveList);
    enable(ID_CHECK_FAILED_AGAIN, IsWindowEnabled(checkFailed_) != FALSE);
    enable(ID_SAVE_REPORT, IsWindowEnabled(saveReport_) != FALSE);
    enable(ID_OPEN_LIST, !running);
    enable(ID_NEW_LIST, !running);
    // A disabled button cannot keep the focus: hand it to the rows.
    HWND focus = GetFocus();
    if (focus != nullptr && GetParent(focus) == window_ && !IsWindowEnabled(focus)) {
        SetFocus(rows_);
    }
}

void VerifyWindow::StartRequest() {
    switch (request_.start) {
        case VerifierRequest::Start::kNothing:
            break;
        case VerifierRequest::Start::kCheck:
            list_ = request_.list;
            SetText(listPath_, list_);
            UpdateTitle();
            StartCheck(false);
            break;
        case VerifierRequest::Start::kNewList:
            StartNewList(request_.folder, request_.saveAs);
            break;
    }
}

void VerifyWindow::OpenList(const std::string& path) {
    if (job_ != nullptr) CancelAndWait();
    list_ = path;
    SetText(listPath_, list_);
    SetText(folderPath_, "");
    UpdateTitle();
    StartCheck(false);
}

void VerifyWindow::StartCheck(bool failedOnly) {
    if (job_ != nullptr || list_.empty()) return;
    std::set<std::string> only;
    if (failedOnly) {
        only = table_.ProblemNames();
        if (only.empty()) return;
    }
    const std::string list = list_;
    const std::string folder = WindowText(folderPath_);
    CheckOptions options;
    options.jobs = std::max(1U, std::thread::hardware_concurrency());
    options.recursive = IsChecked(subfolders_);
    options.uncached = IsChecked(uncached_);
    StartJob(
        RunKind::kCheck,
        [list, folder](const CheckOptions& runOptions, CheckSink& sink) {
            return VerifyList(list, folder, runOptions, sink);
        },
        options, std::move(only), failedOnly);
}

void VerifyWindow::StartNewList(const std::string& folder, const std::string& saveAs) {
    if (job_ != nullptr) return;
    std::string chosen = folder;
    if (chosen.empty()) {
        chosen = ChooseFolder(window_, "The folder to make a checksum list of");
        if (chosen.empty()) return;
    }
    std::string suggested = chosen;
    while (!suggested.empty() && (suggested.back() == '\\' || suggested.back() == '/')) {
        suggested.pop_back();
    }
    const std::string name = FileNamePart(suggested);
    suggested += "\\" + (name.empty() ? std::string("checksums") : name) + ".sfv";
    const std::string target =
        !saveAs.empty() ? saveAs
                        : ChooseFileToSave(window_, "Save the checksum list", suggested, "sfv");
    if (target.empty()) return;
    newListPath_ = target;
    list_.clear();
    SetText(listPath_, target);
    SetWindowTextW(window_, (WideFromUtf8(FileNamePart(target)) + L" - " + kProgramTitle).c_str());
    CheckOptions options;
    options.jobs = std::max(1U, std::thread::hardware_concurrency());
    options.recursive = IsChecked(subfolders_);
    options.uncached = false;
    StartJob(
        RunKind::kNewList,
        [chosen, target](const CheckOptions& runOptions, CheckSink& sink) {
            return MakeListOfFolder(chosen, target, runOptions, sink);
        },
        options, {}, false);
}

void VerifyWindow::StartJob(RunKind kind, CheckJob::Run run, const CheckOptions& options,
                            std::set<std::string> only, bool useOnly) {
    table_.Clear();
    SendMessageW(rows_, LVM_SETITEMCOUNT, 0, 0);
    plan_ = CheckPlan();
    done_ = CheckProgress();
    counts_ = StatusCounts();
    meter_.Reset();
    haveOutcome_ = false;
    shownProgress_ = -1;
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
    phase_ = StatusLineFacts::Phase::kRunning;
    runKind_ = kind;
    HWND window = window_;
    rowsUnshown_ = false;
    lastShown_ = 0;
    SetTimer(window_, kShowTimer, kShowIntervalMs, nullptr);
    job_ = std::make_unique<CheckJob>(std::move(run), options, std::move(only), useOnly, [window] {
        PostMessageW(window, WM_VERIFIER_RUN_ARRIVED, 0, 0);
    });
    UpdateButtons();
    ShowStatusLine();
}

void VerifyWindow::Drain() {
    if (job_ == nullptr) return;
    CheckBatch batch = job_->Take();
    if (batch.planned) plan_ = batch.plan;
    if (!batch.rows.empty()) {
        for (const CheckRow& row : batch.rows) counts_.Add(row);
        table_.Append(std::move(batch.rows));
        rowsUnshown_ = true;
    }
    if (batch.progressed) {
        done_ = batch.progress;
        meter_.Sample(GetTickCount64(), done_.bytesDone);
    }
    if (batch.finished) {
        ShowRun();
        Finish(batch.outcome);
        return;
    }
    // Every change to a control costs a round of drawing (and, under Wine,
    // of calls to its server): during a run the window shows what came at
    // most five times a second.
    const ULONGLONG now = GetTickCount64();
    if (now - lastShown_ >= kShowIntervalMs) {
        lastShown_ = now;
        ShowRun();
    }
}

void VerifyWindow::ShowRun() {
    if (rowsUnshown_) {
        rowsUnshown_ = false;
        const RowOrder& order = table_.Order();
        const bool inPlace = !order.byColumn && !order.problemsFirst;
        SendMessageW(rows_, LVM_SETITEMCOUNT, table_.ShownCount(),
                     LVSICF_NOSCROLL | (inPlace ? LVSICF_NOINVALIDATEALL : 0));
        // Rows that took their place among the others have moved those
        // below them: a selection would now name other rows.
        if (!inPlace) ClearSelection();
    }
    if (plan_.bytes > 0 || plan_.files > 0) {
        const int position =
            plan_.bytes > 0
                ? static_cast<int>(std::min<std::uint64_t>(done_.bytesDone, plan_.bytes) *
                                   kProgressSteps / plan_.bytes)
                : static_cast<int>(done_.filesDone * kProgressSteps /
                                   std::max<std::size_t>(plan_.files, 1));
        if (position != shownProgress_) {
            shownProgress_ = position;
            SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        }
    }
    ShowStatusLine();
}

void VerifyWindow::ShowStatusLine() {
    StatusLineFacts facts;
    facts.phase = phase_;
    facts.filesDone = done_.filesDone;
    facts.filesPlanned = plan_.files;
    facts.counts = counts_;
    facts.makingList =
        runKind_ == RunKind::kNewList || (job_ == nullptr && lastKind_ == RunKind::kNewList);
    if (phase_ == StatusLineFacts::Phase::kRunning) {
        facts.bytesPerSecond = meter_.BytesPerSecond();
        facts.secondsLeft = meter_.SecondsLeft(plan_.bytes);
    }
    std::string line = StatusLineText(facts);
    if (facts.makingList && phase_ == StatusLineFacts::Phase::kDone) {
        line += " \xC2\xB7 saved as " + newListPath_;
    }
    SetText(statusLine_, line);
}

void VerifyWindow::Finish(const CheckOutcome& outcome) {
    job_->Join();
    job_.reset();
    KillTimer(window_, kShowTimer);
    lastKind_ = runKind_;
    runKind_ = RunKind::kNone;
    outcome_ = outcome;
    haveOutcome_ = true;
    exitCode_ = ExitCodeOf(outcome);
    switch (outcome.end) {
        case CheckOutcome::End::kDone:
            phase_ = StatusLineFacts::Phase::kDone;
            done_.filesDone = std::max(done_.filesDone, plan_.files);
            SendMessageW(progress_, PBM_SETPOS, kProgressSteps, 0);
            break;
        case CheckOutcome::End::kCancelled:
            phase_ = StatusLineFacts::Phase::kCancelled;
            break;
        case CheckOutcome::End::kRefused:
            phase_ = StatusLineFacts::Phase::kRefused;
            break;
    }
    UpdateButtons();
    ShowStatusLine();

    if (lastKind_ == RunKind::kCheck && !request_.report.empty()) {
        const std::string report = request_.report;
        request_.report.clear();
        const std::string failed =
            ReplaceFileContent(report, CheckReportText(table_.Rows(), outcome_));
        if (!failed.empty()) {
            exitCode_ = kExitError;
            if (!request_.closeWhenDone) ShowError("The report " + report + " " + failed + ".");
        }
    }
    if (outcome.end == CheckOutcome::End::kRefused && !request_.closeWhenDone) {
        ShowRefusal(outcome);
    }
    if (request_.closeWhenDone) {
        request_.closeWhenDone = false;
        DestroyWindow(window_);
    }
}

void VerifyWindow::ShowRefusal(const CheckOutcome& outcome) {
    const std::string what =
        lastKind_ == RunKind::kNewList ? "No list was made." : "Nothing was checked.";
    ShowError(RefusalText(outcome) + "\n\n" + what);
}

void VerifyWindow::ShowError(const std::string& text) {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), kProgramTitle,
                MB_OK | MB_TASKMODAL | MB_ICONERROR);
}

void VerifyWindow::CancelAndWait() {
    if (job_ == nullptr) return;
    job_->Cancel();
    job_->Join();
    Drain();  // takes the end the worker left, and finishes the run
}

std::string VerifyWindow::AskReportPath() {
    std::string suggested = list_;
    const std::size_t dot = suggested.find_last_of('.');
    if (dot != std::string::npos && dot > suggested.find_last_of("\\/")) suggested.resize(dot);
    suggested += " report.txt";
    return ChooseFileToSave(window_, "Save the report", suggested, "txt");
}

void VerifyWindow::SaveReport() {
    if (!haveOutcome_ || lastKind_ != RunKind::kCheck || job_ != nullptr) return;
    const std::string path = AskReportPath();
    if (path.empty()) return;
    const std::string failed = ReplaceFileContent(path, CheckReportText(table_.Rows(), outcome_));
    if (!failed.empty()) ShowError("The report " + path + " " + failed + ".");
}

void VerifyWindow::CopyRows() {
    HWND focus = GetFocus();
    if (focus == folderPath_ || focus == listPath_) {
        SendMessageW(focus, WM_COPY, 0, 0);
        return;
    }
    std::string text;
    const auto add = [this, &text](std::size_t position) {
        text += ReportLine(table_.Shown(position));
        text += "\r\n";
    };
    int selected = -1;
    bool any = false;
    while ((selected = static_cast<int>(SendMessageW(
                rows_, LVM_GETNEXTITEM, static_cast<WPARAM>(selected), LVNI_SELECTED))) >= 0) {
        any = true;
        if (static_cast<std::size_t>(selected) < table_.ShownCount()) {
            add(static_cast<std::size_t>(selected));
        }
    }
    if (!any) {
        for (std::size_t position = 0; position < table_.ShownCount(); ++position) add(position);
    }
    if (text.empty()) return;
    const std::wstring wide = WideFromUtf8(text);
    if (!OpenClipboard(window_)) return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (memory != nullptr) {
        void* bytes = GlobalLock(memory);
        if (bytes != nullptr) {
            std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, static_cast<wchar_t*>(bytes));
            GlobalUnlock(memory);
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
        } else {
            GlobalFree(memory);
        }
    }
    CloseClipboard();
}

void VerifyWindow::SelectAllRows() {
    HWND focus = GetFocus();
    if (focus == folderPath_ || focus == listPath_) {
        SendMessageW(focus, EM_SETSEL, 0, -1);
        return;
    }
    LVITEMW item = {};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageW(rows_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    SetFocus(rows_);
}

void VerifyWindow::ApplyOrder(const RowOrder& order) {
    table_.SetOrder(order);
    // The sorted column's header shows which way it goes.
    HWND header = reinterpret_cast<HWND>(SendMessageW(rows_, LVM_GETHEADER, 0, 0));
    for (int i = 0; i < kRowColumnCount; ++i) {
        HDITEMW item = {};
        item.mask = HDI_FORMAT;
        SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (order.byColumn && kColumns[i] == order.column) {
            item.fmt |= order.descending ? HDF_SORTDOWN : HDF_SORTUP;
        }
        SendMessageW(header, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    SendMessageW(rows_, LVM_SETITEMCOUNT, table_.ShownCount(), 0);
    ClearSelection();
}

void VerifyWindow::ClearSelection() {
    LVITEMW unselected = {};
    unselected.stateMask = LVIS_SELECTED;
    SendMessageW(rows_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&unselected));
    InvalidateRect(rows_, nullptr, FALSE);
}

void VerifyWindow::OnColumnClick(int column) {
    if (column < 0 || column >= kRowColumnCount) return;
    RowOrder order = table_.Order();
    const RowColumn clicked = kColumns[column];
    if (order.byColumn && order.column == clicked) {
        order.descending = !order.descending;
    } else {
        order.byColumn = true;
        order.column = clicked;
        order.descending = false;
    }
    ApplyOrder(order);
}

void VerifyWindow::OnCommand(int id) {
    switch (id) {
        case ID_OPEN_LIST: {
            if (job_ != nullptr) return;
            const std::string path = ChooseListToOpen(window_, FolderPart(list_));
            if (!path.empty()) OpenList(path);
            return;
        }
        case ID_CHOOSE_FOLDER: {
            const std::string folder = ChooseFolder(window_, "The folder to check");
            if (!folder.empty()) SetText(folderPath_, folder);
            return;
        }
        case ID_CHECK_AGAIN:
            StartCheck(false);
            return;
        case ID_CHECK_FAILED_AGAIN:
            StartCheck(true);
            return;
        case ID_CANCEL_RUN:
            if (job_ != nullptr) job_->Cancel();
            return;
        case ID_COPY:
            CopyRows();
            return;
        case ID_SELECT_ALL:
            SelectAllRows();
            return;
        case ID_SAVE_REPORT:
            SaveReport();
            return;
        case ID_NEW_LIST:
            StartNewList(std::string(), std::string());
            return;
        case ID_PROBLEMS_FIRST:
        case ID_PROBLEMS_ONLY: {
            RowOrder order = table_.Order();
            order.problemsFirst = IsChecked(problemsFirst_);
            order.problemsOnly = IsChecked(problemsOnly_);
            ApplyOrder(order);
            return;
        }
        case ID_ADD_EXPLORER_VERBS: {
            wchar_t program[MAX_PATH * 4] = {};
            const DWORD length =
                GetModuleFileNameW(nullptr, program, static_cast<DWORD>(std::size(program)));
            const std::string failed =
                length == 0 ? std::string("the program's own path is not known")
                            : AddExplorerVerbs(Utf8FromWide(std::wstring(program, length)));
            if (!failed.empty()) ShowError(failed + ".");
            return;
        }
        case ID_REMOVE_EXPLORER_VERBS: {
            const std::string failed = RemoveExplorerVerbs();
            if (!failed.empty()) ShowError(failed + ".");
            return;
        }
        case ID_EXIT:
            PostMessageW(window_, WM_CLOSE, 0, 0);
            return;
        default:
            return;
    }
}

void VerifyWindow::OnGetDisplayInfo(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= table_.ShownCount() ||
        item.iSubItem < 0 || item.iSubItem >= kRowColumnCount) {
        item.pszText[0] = L'\0';
        return;
    }
    displayText_ = WideFromUtf8(
        RowCellText(table_.Shown(static_cast<std::size_t>(item.iItem)), kColumns[item.iSubItem]));
    const std::size_t length =
        std::min(displayText_.size(), static_cast<std::size_t>(item.cchTextMax - 1));
    displayText_.copy(item.pszText, length);
    item.pszText[length] = L'\0';
}

LRESULT VerifyWindow::OnCustomDraw(NMLVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
        // CDRF_NOTIFYITEMDRAW and CDRF_NOTIFYSUBITEMDRAW are the same value, so
        // the first two answers look alike to clang-tidy; they answer two stages.
        case CDDS_PREPAINT:  // NOLINT(bugprone-branch-clone)
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const std::size_t position = draw->nmcd.dwItemSpec;
            if (draw->iSubItem == 0 && position < table_.ShownCount()) {
                draw->clrText = ToneColour(ToneOf(table_.Shown(position).status));
            } else {
                draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
            }
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

LRESULT VerifyWindow::OnNotify(NMHDR* header) {
    if (header->hwndFrom != rows_) return 0;
    switch (header->code) {
        case LVN_GETDISPINFOW:
            OnGetDisplayInfo(reinterpret_cast<NMLVDISPINFOW*>(header));
            return 0;
        case NM_CUSTOMDRAW:
            return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(header));
        case LVN_COLUMNCLICK:
            OnColumnClick(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
            return 0;
        default:
            return 0;
    }
}

LRESULT VerifyWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Create();
            Layout();
            // A check starts at once, so that its reading overlaps the
            // window's first drawing; "New list..." asks first, and waits
            // for the window to be shown.
            if (request_.start == VerifierRequest::Start::kCheck) {
                StartRequest();
            } else {
                PostMessageW(window_, WM_VERIFIER_START, 0, 0);
            }
            return 0;
        case WM_SIZE:
            Layout();
            return 0;
        case WM_ACTIVATE:
            // The control that had the focus gets it back when the window
            // is active again; the rows at first.
            if (LOWORD(wParam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(window_, focus)) lastFocus_ = focus;
            }
            return DefWindowProcW(window_, message, wParam, lParam);
        case WM_SETFOCUS:
            SetFocus(lastFocus_ != nullptr && IsWindow(lastFocus_) ? lastFocus_ : rows_);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            limits->ptMinTrackSize.x = Scaled(560);
            limits->ptMinTrackSize.y = Scaled(320);
            return 0;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            return 0;
        }
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_VERIFIER_RUN_ARRIVED:
            Drain();
            return 0;
        case WM_TIMER:
            if (wParam == kShowTimer) Drain();
            return 0;
        case WM_DROPFILES: {
            auto* drop = reinterpret_cast<HDROP>(wParam);
            const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
            std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
            DragQueryFileW(drop, 0, path.data(), length + 1);
            path.resize(length);
            DragFinish(drop);
            if (!path.empty()) OpenList(Utf8FromWide(path));
            return 0;
        }
        case WM_VERIFIER_START:
            StartRequest();
            return 0;
        case WM_VERIFIER_ACCELERATORS:
            return reinterpret_cast<LRESULT>(accelerators_);
        case WM_VERIFIER_EXIT_CODE:
            return exitCode_;
        case WM_VERIFIER_RUNNING:
            return job_ != nullptr ? 1 : 0;
        case WM_CLOSE:
            DestroyWindow(window_);  // WM_DESTROY cancels a run still going
            return 0;
        case WM_DESTROY:
            if (job_ != nullptr) {
                job_->Cancel();
                job_->Join();
                job_.reset();
                exitCode_ = kExitCancelled;
            }
            if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
            accelerators_ = nullptr;
            PostQuitMessage(exitCode_);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK VerifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<VerifyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const auto* request = static_cast<const VerifierRequest*>(create->lpCreateParams);
        try {
            self = new VerifyWindow(window, *request);
        } catch (...) {
            return FALSE;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->Handle(message, wParam, lParam);
    } catch (const std::exception& failure) {
        // Nothing may cross the window procedure: the user learns what failed.
        MessageBoxW(nullptr, WideFromUtf8(failure.what()).c_str(), kProgramTitle,
                    MB_OK | MB_TASKMODAL | MB_ICONERROR);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        delete self;
    }
    return result;
}

bool RegisterVerifyWindowClass(HINSTANCE instance) {
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, kVerifyWindowClass, &existing)) return true;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = VerifyWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kVerifyWindowClass;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (windowClass.hIcon == nullptr) {
        windowClass.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    }
    windowClass.hIconSm = windowClass.hIcon;
    return RegisterClassExW(&windowClass) != 0;
}

}  // namespace

HWND CreateVerifyWindow(HINSTANCE instance, const VerifierRequest& request, int show) {
    INITCOMMONCONTROLSEX controls = {
        sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterVerifyWindowClass(instance)) return nullptr;
    // The readers of a run share the processors with this thread: ahead of
    // them, it answers at once however busy they are.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    HWND window =
        CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kVerifyWindowClass, kProgramTitle,
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 960,
                        600, nullptr, nullptr, instance, const_cast<VerifierRequest*>(&request));
    if (window == nullptr) return nullptr;
    ShowWindow(window, show);
    return window;
}

int RunVerifyWindowLoop(HWND window) {
    HACCEL accelerators = nullptr;
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsWindow(window)) {
            accelerators =
                reinterpret_cast<HACCEL>(SendMessageW(window, WM_VERIFIER_ACCELERATORS, 0, 0));
            if (accelerators != nullptr && TranslateAcceleratorW(window, accelerators, &message)) {
                continue;
            }
            if (IsDialogMessageW(window, &message)) continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace sumbrook
