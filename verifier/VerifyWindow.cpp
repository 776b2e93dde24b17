#include "verifier/VerifyWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/LateBoundCall.h"
#include "platform/ReplacingFileWriter.h"
#include "platform/WideText.h"
#include "platform/WinHandles.h"
#include "verifier/CheckReport.h"
#include "verifier/Clipboard.h"
#include "verifier/ExplorerVerbs.h"
#include "verifier/FileChoosers.h"
#include "verifier/RowListView.h"
#include "verifier/RowsTextJob.h"
#include "verifier/RunController.h"
#include "verifier/VerifierControlIds.h"
#include "verifier/VerifyWindowControls.h"
#include "verifier/VerifyWindowMenu.h"
#include "verify/OutputTarget.h"
#include "verify/ReportText.h"
#include "verify/RunExitCode.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

constexpr wchar_t kProgramTitle[] = L"Sumbrook Verify";
// While a run goes on, what came and is not shown yet is shown at this pace.
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT kShowIntervalMs = 200;
// What the worker leaves is taken at most this often, unless rows wait.
constexpr UINT_PTR kTakeTimer = 2;
constexpr UINT kTakeGapMs = 25;
// WM_VERIFIER_RUN_ARRIVED's wParam for "rows wait still: take now".
constexpr WPARAM kTakeAtOnce = 1;
constexpr int kProgressSteps = 1000;
// Long work on this thread goes in slices well within 100 ms, so that the
// window answers between two: the rows taken into the table per message,
// the comparisons of a sort, the lines of Copy's and Save's text.
constexpr std::size_t kRowsPerSlice = 5000;
constexpr std::size_t kSortSlice = 40000;
constexpr std::size_t kTextSlice = 5000;

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

std::uint64_t NowMs() {
    return GetTickCount64();
}

// The wake of a run's worker: a post to the window `target` holds, once it
// holds one.
std::function<void()> WakeOf(const std::shared_ptr<std::atomic<HWND>>& target) {
    return [target] {
        if (HWND window = target->load()) PostMessageW(window, WM_VERIFIER_RUN_ARRIVED, 0, 0);
    };
}

// What waits for the run going to end.
enum class AfterRun { kNothing, kClose, kOpenList };

class VerifyWindow {
  public:
    VerifyWindow(HWND window, const VerifierRequest& request, StartedCheck* started)
        : window_(window), request_(request) {
        if (started != nullptr && started->controller != nullptr) {
            adopted_ = true;
            wakeTarget_ = std::move(started->wakeTarget);
            controller_ = std::move(started->controller);
        } else {
            wakeTarget_ = std::make_shared<std::atomic<HWND>>(nullptr);
            controller_ = std::make_unique<RunController>(WakeOf(wakeTarget_));
        }
        *wakeTarget_ = window;
    }

    ~VerifyWindow() {
        if (finisher_.joinable()) finisher_.join();
    }
    VerifyWindow(const VerifyWindow&) = delete;
    VerifyWindow& operator=(const VerifyWindow&) = delete;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // The window procedure keeps the object while any of its handlers runs,
    // so that a handler whose callee ends the window (a message box's loop
    // that closes it) never goes on in freed memory.
    int depth = 0;
    bool destroyed = false;

  private:
    void Create();
    void StartRequest();
    void UpdateTitle(const std::string& path);
    void UpdateButtons();

    void OpenList(const std::string& path);
    void StartCheck();
    void StartRecheck();
    // Asks for what is not given: the folder, where the list goes.
    void StartNewList(const std::string& folder, const std::string& saveAs);
    void Started();
    void OnRunArrived(WPARAM how);
    void TakeArrived();
    void ShowRun();
    void ShowNotices();
    void ShowStatusLine();
    void RunEnded();
    // What waits for a run's end, once its report (if asked for) is written:
    // a refusal told, the window closed, another list opened.
    void AfterRunEnd();
    void StartSaving(const std::string& path, bool requested);
    void Cancel();
    void Close();

    void ContinueWork();
    bool ContinueText();
    void FinishDone();
    // Whether a slice of work is going on that must finish before a run
    // changes the rows (Copy, Save report).
    bool Busy() const { return text_ != nullptr || finisher_.joinable(); }

    void OnCommand(int id);
    void OnColumnClick(int column);
    void ApplyOrder(const RowOrder& order);
    void CopyRows();
    void SelectAllRows();
    void SaveReport();
    std::string AskReportPath();
    // Tells the user: a message box, or with /close standard error when
    // the program has one (a script's log), else still a message box.
    void Tell(const std::string& text);

    HWND window_;
    VerifierRequest request_;
    int dpi_ = 96;
    VerifyWindowControls controls_;
    RowListView rows_;
    ScopedAccelerators accelerators_;
    HWND lastFocus_ = nullptr;

    // The worker posts to the window this holds (the window, once made).
    std::shared_ptr<std::atomic<HWND>> wakeTarget_;
    std::unique_ptr<RunController> controller_;
    bool adopted_ = false;  // the check was started before the window
    std::string list_;
    int exitCode_ = kExitOk;
    AfterRun afterRun_ = AfterRun::kNothing;
    std::string listToOpen_;
    int shownProgress_ = -1;
    bool rowsUnshown_ = false;
    std::uint64_t lastShown_ = 0;
    std::uint64_t lastTake_ = 0;
    bool takeTimerSet_ = false;
    std::unique_ptr<RowsTextJob> text_;
    std::wstring wide_;  // Copy: the text for the clipboard
    // Copy and Save hand their text on to a thread of their own, which
    // posts WM_VERIFIER_CONTINUE when done.
    std::thread finisher_;
    std::atomic<bool> finished_{false};
    std::string finishFault_;
    bool finishSaves_ = false;
    std::string savePath_;
    bool saveRequested_ = false;
    bool reportedRun_ = false;  // the run that ended had its report asked for
    bool noticesShown_ = false;
};

void VerifyWindow::Create() {
    HDC screen = GetDC(window_);
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(window_, screen);
    SetMenu(window_, CreateVerifyWindowMenu());
    controls_.Create(window_, dpi_);
    rows_.Attach(controls_.rows);
    accelerators_ = CreateVerifyWindowAccelerators();
    SendMessageW(controls_.subfolders, BM_SETCHECK,
                 request_.recursive ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageW(controls_.uncached, BM_SETCHECK, request_.uncached ? BST_CHECKED : BST_UNCHECKED,
                 0);
    if (request_.start == VerifierRequest::Start::kCheck) {
        SetText(controls_.folderPath, request_.folder);
    }
    UpdateTitle(std::string());
    UpdateButtons();
    ShowStatusLine();
}

void VerifyWindow::UpdateTitle(const std::string& path) {
    const std::wstring title = path.empty()
                                   ? std::wstring(kProgramTitle)
                                   : WideFromUtf8(FileNamePart(path)) + L" - " + kProgramTitle;
    SetWindowTextW(window_, title.c_str());
}

void VerifyWindow::UpdateButtons() {
    const bool running = controller_->Running();
    const bool haveList = !list_.empty();
    const bool checked =
        controller_->Kind() == RunKind::kCheck || controller_->Kind() == RunKind::kRecheck;
    const HWND focus = GetFocus();
    const auto enable = [this](HWND control, int id, bool on) {
        if (control != nullptr) EnableWindow(control, on ? TRUE : FALSE);
        if (id != 0) {
            EnableMenuItem(GetMenu(window_), static_cast<UINT>(id),
                           static_cast<UINT>(MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)));
        }
    };
    const bool idle = !running && !Busy();
    enable(controls_.cancel, ID_CANCEL_RUN, running && !controller_->Cancelling());
    enable(controls_.checkAgain, ID_CHECK_AGAIN, idle && haveList);
    enable(controls_.checkFailed, ID_CHECK_FAILED_AGAIN,
           idle && haveList && checked && controller_->HasProblems());
    enable(controls_.saveReport, ID_SAVE_REPORT, controller_->HasReport() && !Busy());
    enable(controls_.copy, ID_COPY, !Busy());
    enable(controls_.problemsFirst, 0, !Busy());
    enable(controls_.problemsOnly, 0, !Busy());
    enable(controls_.openList, ID_OPEN_LIST, idle);
    enable(controls_.newList, ID_NEW_LIST, idle);
    enable(controls_.folderPath, 0, !running);
    enable(controls_.chooseFolder, 0, !running);
    enable(controls_.subfolders, 0, !running);
    enable(controls_.uncached, 0, !running);
    // Disabling the control that has the focus leaves no focus at all: it
    // goes to Cancel during a run (Esc and Enter stop it), else the rows.
    const HWND now = GetFocus();
    const bool lost = now == nullptr || (now == focus && !IsWindowEnabled(now));
    if (lost && GetActiveWindow() == window_) {
        SetFocus(running && IsWindowEnabled(controls_.cancel) ? controls_.cancel : controls_.rows);
    }
    if (focus != nullptr && !IsWindowEnabled(focus) && lastFocus_ == focus) {
        lastFocus_ = nullptr;
    }
}

void VerifyWindow::StartRequest() {
    switch (request_.start) {
        case VerifierRequest::Start::kNothing:
        case VerifierRequest::Start::kHelp:
            break;
        case VerifierRequest::Start::kCheck: {
            // A report that would replace the list is refused before the check.
            const std::string fault = request_.report.empty()
                                          ? std::string()
                                          : OutputTargetFault(request_.report, request_.list, {});
            if (!fault.empty()) {
                exitCode_ = kExitError;
                Tell("The report " + request_.report + " " + fault +
                     "; nothing was checked and no report written.");
                if (request_.closeWhenDone) PostMessageW(window_, WM_CLOSE, 0, 0);
                return;
            }
            list_ = request_.list;
            SetText(controls_.listPath, list_);
            UpdateTitle(list_);
            StartCheck();
            break;
        }
        case VerifierRequest::Start::kNewList:
            StartNewList(request_.folder, request_.saveAs);
            if (!controller_->Running() && request_.closeWhenDone) {
                PostMessageW(window_, WM_CLOSE, 0, 0);
            }
            break;
    }
}

void VerifyWindow::OpenList(const std::string& path) {
    if (controller_->Running()) {
        // Taken up once the run going has ended.
        listToOpen_ = path;
        afterRun_ = AfterRun::kOpenList;
        Cancel();
        return;
    }
    list_ = path;
    SetText(controls_.listPath, list_);
    SetText(controls_.folderPath, "");
    UpdateTitle(list_);
    StartCheck();
}

void VerifyWindow::StartCheck() {
    if (controller_->Running() || list_.empty() || Busy()) return;
    CheckRequest request;
    request.list = list_;
    request.folder = UnquotedPath(WindowText(controls_.folderPath));
    request.recursive = IsChecked(controls_.subfolders);
    request.uncached = IsChecked(controls_.uncached);
    controller_->StartCheck(request);
    Started();
}

void VerifyWindow::StartRecheck() {
    if (Busy() || !controller_->StartRecheck()) return;
    Started();
}

void VerifyWindow::StartNewList(const std::string& folder, const std::string& saveAs) {
    if (controller_->Running() || Busy()) return;
    std::string chosen = UnquotedPath(folder);
    if (chosen.empty()) {
        chosen = ChooseFolder(window_, "The folder to make a checksum list of");
        if (chosen.empty() || destroyed) return;
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
    if (target.empty() || destroyed) return;
    list_.clear();
    SetText(controls_.listPath, target);
    UpdateTitle(target);
    NewListRequest request;
    request.folder = chosen;
    request.target = target;
    request.recursive = IsChecked(controls_.subfolders);
    controller_->StartNewList(request);
    Started();
}

void VerifyWindow::Started() {
    SendMessageW(controls_.progress, PBM_SETPOS, 0, 0);
    shownProgress_ = -1;
    rowsUnshown_ = true;
    lastShown_ = 0;
    SetTimer(window_, kShowTimer, kShowIntervalMs, nullptr);
    UpdateButtons();
    ShowRun();
}

void VerifyWindow::OnRunArrived(WPARAM how) {
    // The worker wakes the window when something waits after a take: taken
    // at once, every file read would be a round trip between the two
    // threads (each a call to Wine's server). A wake soon after a take
    // waits for a short timer instead, while the worker queues on.
    if (how != kTakeAtOnce && NowMs() - lastTake_ < kTakeGapMs) {
        if (!takeTimerSet_) {
            takeTimerSet_ = true;
            SetTimer(window_, kTakeTimer, kTakeGapMs, nullptr);
        }
        return;
    }
    TakeArrived();
}

void VerifyWindow::TakeArrived() {
    if (!controller_->Running()) return;
    lastTake_ = NowMs();
    const RunChanges changes = controller_->Take(kRowsPerSlice);
    if (changes.rows) rowsUnshown_ = true;
    if (changes.notices) ShowNotices();
    if (changes.ended) {
        RunEnded();
        return;
    }
    // More rows wait: the next slice after what else waits (WM_NULL, input).
    if (changes.more) PostMessageW(window_, WM_VERIFIER_RUN_ARRIVED, kTakeAtOnce, 0);
    // Every change to a control costs a round of drawing (and, under Wine,
    // of calls to its server): during a run the window shows what came at
    // most five times a second.
    if (NowMs() - lastShown_ >= kShowIntervalMs) ShowRun();
}

void VerifyWindow::ShowRun() {
    lastShown_ = NowMs();
    if (rowsUnshown_) {
        rowsUnshown_ = false;
        const RowOrder& order = controller_->Table().Order();
        // Rows checked again change in their places: all is drawn again.
        const bool inPlace =
            !order.byColumn && !order.problemsFirst && controller_->Kind() != RunKind::kRecheck;
        rows_.ShowCount(controller_->Table().ShownCount(), inPlace);
    }
    const double share = controller_->DoneShare();
    const int position = share < 0.0 ? 0 : static_cast<int>(share * kProgressSteps);
    if (position != shownProgress_) {
        shownProgress_ = position;
        SendMessageW(controls_.progress, PBM_SETPOS, static_cast<WPARAM>(position), 0);
    }
    ShowStatusLine();
}

void VerifyWindow::ShowNotices() {
    std::string text;
    for (const std::string& notice : controller_->Notices()) {
        if (!text.empty()) text += "\r\n";
        text += notice;
    }
    SetText(controls_.notices, text);
    // Laying out moves every control: only when the box comes or goes.
    if (!text.empty() != noticesShown_) {
        noticesShown_ = !text.empty();
        controls_.Layout(noticesShown_);
    }
}

void VerifyWindow::ShowStatusLine() {
    std::string line = StatusLineText(controller_->StatusFacts());
    if (controller_->Table().Sorting()) line += " \xC2\xB7 Sorting...";
    if (text_ != nullptr) {
        line +=
            std::string(" \xC2\xB7 ") + (text_->Saves() ? "Saving the report... " : "Copying... ") +
            std::to_string(text_->Count() == 0 ? 100 : text_->Done() * 100 / text_->Count()) + "%";
    } else if (finisher_.joinable()) {
        line += finishSaves_ ? " \xC2\xB7 Saving the report..." : " \xC2\xB7 Copying...";
    }
    if (!controller_->Running() && controller_->Kind() == RunKind::kNewList &&
        controller_->LastOutcome().end == CheckOutcome::End::kDone) {
        line += " \xC2\xB7 saved as " + controller_->LastNewList().target;
    }
    SetText(controls_.statusLine, line);
}

void VerifyWindow::RunEnded() {
    KillTimer(window_, kShowTimer);
    rowsUnshown_ = true;
    ShowRun();
    ShowNotices();
    exitCode_ = controller_->ExitCode();
    UpdateButtons();
    reportedRun_ = controller_->Kind() != RunKind::kNewList && !request_.report.empty();
    if (reportedRun_) {
        const std::string report = request_.report;
        request_.report.clear();
        const std::string fault = controller_->ReportTargetFault(report);
        if (fault.empty()) {
            // The rest once the report is written (SaveDone).
            StartSaving(report, true);
            return;
        }
        exitCode_ = kExitError;
        Tell("The report " + report + " " + fault + "; it was not written.");
        if (destroyed) return;
    }
    AfterRunEnd();
}

void VerifyWindow::AfterRunEnd() {
    const CheckOutcome& outcome = controller_->LastOutcome();
    const RunKind kind = controller_->Kind();
    const bool closing = request_.closeWhenDone || afterRun_ == AfterRun::kClose;
    // With /close a refusal is in the report, when there is one.
    if (outcome.end == CheckOutcome::End::kRefused && !(request_.closeWhenDone && reportedRun_) &&
        afterRun_ != AfterRun::kOpenList) {
        Tell(RefusalText(outcome) + "\n\n" +
             (kind == RunKind::kNewList ? "No list was made." : "Nothing was checked."));
        if (destroyed) return;
    }
    if (closing) {
        // Never from inside this handler's callees: the window ends once
        // they have returned.
        afterRun_ = AfterRun::kNothing;
        request_.closeWhenDone = false;
        PostMessageW(window_, WM_CLOSE, 0, 0);
        return;
    }
    if (afterRun_ == AfterRun::kOpenList) {
        afterRun_ = AfterRun::kNothing;
        const std::string path = std::move(listToOpen_);
        OpenList(path);
    }
}

void VerifyWindow::Cancel() {
    if (!controller_->Running()) return;
    controller_->Cancel();
    UpdateButtons();
    ShowStatusLine();
}

void VerifyWindow::Close() {
    if (controller_->Running() || Busy()) {
        // The window goes once the run's end has come (and its report, if
        // one was asked for, is written).
        afterRun_ = AfterRun::kClose;
        Cancel();
        return;
    }
    DestroyWindow(window_);
}

void VerifyWindow::Tell(const std::string& text) {
    if (request_.closeWhenDone) {
        const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
        if (error != nullptr && error != INVALID_HANDLE_VALUE &&
            GetFileType(error) != FILE_TYPE_UNKNOWN) {
            std::string line = "SumbrookVerify: " + text;
            std::replace(line.begin(), line.end(), '\n', ' ');
            line += "\r\n";
            DWORD written = 0;
            WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
            return;
        }
    }
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), kProgramTitle,
                MB_OK | MB_TASKMODAL | MB_ICONERROR);
}

std::string VerifyWindow::AskReportPath() {
    std::string suggested = list_;
    const std::size_t dot = suggested.find_last_of('.');
    if (dot != std::string::npos && dot > suggested.find_last_of("\\/")) suggested.resize(dot);
    suggested += " report.txt";
    return ChooseFileToSave(window_, "Save the report", suggested, "txt");
}

void VerifyWindow::SaveReport() {
    if (!controller_->HasReport() || Busy()) return;
    const std::string path = AskReportPath();
    if (path.empty() || destroyed || !controller_->HasReport() || Busy()) return;
    const std::string fault = controller_->ReportTargetFault(path);
    if (!fault.empty()) {
        Tell("The report " + path + " " + fault + "; it was not written.");
        return;
    }
    StartSaving(path, false);
}

void VerifyWindow::StartSaving(const std::string& path, bool requested) {
    text_ = std::make_unique<RowsTextJob>(controller_->Table(), path, controller_->ReportOutcome(),
                                          controller_->Notices(), controller_->ReportCoversTable());
    savePath_ = path;
    saveRequested_ = requested;
    ContinueWork();
}

void VerifyWindow::CopyRows() {
    HWND focus = GetFocus();
    if (focus == controls_.folderPath || focus == controls_.listPath ||
        focus == controls_.notices) {
        SendMessageW(focus, WM_COPY, 0, 0);
        return;
    }
    if (Busy()) return;
    const RowTable& table = controller_->Table();
    // Nothing selected, or all: every shown row, in the order shown (which
    // cannot change while the text is made).
    std::vector<std::size_t> indices;
    if (!rows_.AllSelected()) {
        for (const std::size_t position : rows_.Selected(table.ShownCount())) {
            indices.push_back(table.ShownIndex(position));
        }
    }
    if (table.ShownCount() == 0) return;
    text_ = std::make_unique<RowsTextJob>(table, std::move(indices));
    wide_.clear();
    ContinueWork();
}

bool VerifyWindow::ContinueText() {
    const bool made = text_->Step(controller_->Table(), kTextSlice);
    if (!text_->Saves()) {
        wide_ += WideFromUtf8(text_->TakeText());
        // After the first slice, room for the whole text at the length so
        // far (a text that grows by doubling copies itself again and again).
        if (text_->Done() > 0 && text_->Done() == std::min(text_->Count(), kTextSlice)) {
            wide_.reserve(wide_.size() / text_->Done() * text_->Count() * 11 / 10 + 256);
        }
    }
    if (!made) return false;
    // The text is handed to the clipboard, or flushed and put in its file's
    // place, on a thread of its own, which posts WM_VERIFIER_CONTINUE when
    // done (FinishDone).
    finishSaves_ = text_->Saves();
    finishFault_.clear();
    finished_ = false;
    const auto finish = [this, window = window_](std::string fault) {
        finishFault_ = std::move(fault);
        finished_ = true;
        PostMessageW(window, WM_VERIFIER_CONTINUE, 0, 0);
    };
    if (finishSaves_) {
        finisher_ = std::thread([job = std::move(text_), finish] { finish(job->Finish()); });
    } else {
        text_.reset();
        finisher_ = std::thread([text = std::move(wide_), finish] {
            finish(PutTextOnClipboard(text) ? std::string()
                                            : std::string("could not be put on the clipboard"));
        });
    }
    return true;
}

void VerifyWindow::FinishDone() {
    finisher_.join();
    if (!finishFault_.empty()) {
        if (!finishSaves_) {
            Tell("The rows " + finishFault_ + ".");
        } else {
            if (saveRequested_) exitCode_ = kExitError;
            Tell("The report " + savePath_ + " " + finishFault_ + "; it was not written.");
        }
        if (destroyed) return;
    }
    if (finishSaves_ && saveRequested_) {
        AfterRunEnd();
    } else if (afterRun_ == AfterRun::kClose) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
}

void VerifyWindow::ContinueWork() {
    const bool wasBusy = Busy();
    bool again = false;
    RowTable& table = controller_->Table();
    if (table.Sorting()) {
        if (table.ContinueSort(kSortSlice)) {
            rows_.ShowOrder(table.Order(), table.ShownCount());
            // Rows held back while the table sorted.
            if (controller_->Running()) PostMessageW(window_, WM_VERIFIER_RUN_ARRIVED, 0, 0);
        } else {
            again = true;
        }
    }
    if (text_ != nullptr && !ContinueText()) again = true;
    if (finisher_.joinable() && finished_) {
        FinishDone();
        if (destroyed) return;
    }
    if (again) PostMessageW(window_, WM_VERIFIER_CONTINUE, 0, 0);
    if (Busy() != wasBusy || !Busy()) UpdateButtons();
    ShowStatusLine();
}

void VerifyWindow::SelectAllRows() {
    HWND focus = GetFocus();
    if (focus == controls_.folderPath || focus == controls_.listPath ||
        focus == controls_.notices) {
        SendMessageW(focus, EM_SETSEL, 0, -1);
        return;
    }
    rows_.SelectAll();
    SetFocus(controls_.rows);
}

void VerifyWindow::ApplyOrder(const RowOrder& order) {
    // Copy and Save go through the rows in the order shown.
    if (Busy()) return;
    RowTable& table = controller_->Table();
    table.SetOrder(order);
    if (table.Sorting()) {
        // The rest of the sort in slices; the rows show as they were meanwhile.
        PostMessageW(window_, WM_VERIFIER_CONTINUE, 0, 0);
        ShowStatusLine();
        return;
    }
    rows_.ShowOrder(order, table.ShownCount());
}

void VerifyWindow::OnColumnClick(int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= kRowColumnCount) return;
    RowOrder order = controller_->Table().Order();
    const auto clicked = static_cast<std::size_t>(column);
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
            if (controller_->Running()) return;
            const std::string path = ChooseListToOpen(window_, FolderPart(list_));
            if (!path.empty() && !destroyed) OpenList(path);
            return;
        }
        case ID_CHOOSE_FOLDER: {
            const std::string folder = ChooseFolder(window_, "The folder to check");
            if (!folder.empty() && !destroyed) SetText(controls_.folderPath, folder);
            return;
        }
        case ID_CHECK_AGAIN:
            StartCheck();
            return;
        case ID_CHECK_FAILED_AGAIN:
            StartRecheck();
            return;
        case ID_CANCEL_RUN:
            Cancel();
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
            RowOrder order = controller_->Table().Order();
            order.problemsFirst = IsChecked(controls_.problemsFirst);
            order.problemsOnly = IsChecked(controls_.problemsOnly);
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
            if (!failed.empty()) Tell(failed + ".");
            return;
        }
        case ID_REMOVE_EXPLORER_VERBS: {
            const std::string failed = RemoveExplorerVerbs();
            if (!failed.empty()) Tell(failed + ".");
            return;
        }
        case ID_EXIT:
            PostMessageW(window_, WM_CLOSE, 0, 0);
            return;
        default:
            return;
    }
}

LRESULT VerifyWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            Create();
            controls_.Layout(false);
            // A check starts at once, so that its reading overlaps the
            // window's first drawing; "New list..." asks first, and waits
            // for the window to be shown.
            if (adopted_) {
                // What the worker posted before the window was there.
                list_ = request_.list;
                SetText(controls_.listPath, list_);
                UpdateTitle(list_);
                Started();
                PostMessageW(window_, WM_VERIFIER_RUN_ARRIVED, 0, 0);
            } else if (request_.start == VerifierRequest::Start::kCheck) {
                StartRequest();
            } else {
                PostMessageW(window_, WM_VERIFIER_START, 0, 0);
            }
            return 0;
        case WM_SIZE:
            controls_.Layout(noticesShown_);
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
            SetFocus(lastFocus_ != nullptr && IsWindow(lastFocus_) && IsWindowEnabled(lastFocus_)
                         ? lastFocus_
                         : controls_.rows);
            return 0;
        case WM_GETMINMAXINFO: {
            if (controls_.rows == nullptr) return 0;
            auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
            const SIZE least = controls_.MinimumWindowSize();
            limits->ptMinTrackSize.x = least.cx;
            limits->ptMinTrackSize.y = least.cy;
            return 0;
        }
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            controls_.SetDpi(dpi_);
            const auto* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            controls_.Layout(noticesShown_);
            return 0;
        }
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            int clicked = -1;
            const LRESULT result =
                rows_.OnNotify(reinterpret_cast<NMHDR*>(lParam), controller_->Table(), clicked);
            if (clicked >= 0) OnColumnClick(clicked);
            return result;
        }
        case WM_VERIFIER_RUN_ARRIVED:
            OnRunArrived(wParam);
            return 0;
        case WM_VERIFIER_CONTINUE:
            ContinueWork();
            return 0;
        case WM_TIMER:
            if (wParam == kTakeTimer) {
                KillTimer(window_, kTakeTimer);
                takeTimerSet_ = false;
                TakeArrived();
            } else if (wParam == kShowTimer && controller_->Running()) {
                ShowRun();
            }
            return 0;
        case WM_DROPFILES: {
            // The window accepts files by its style (WS_EX_ACCEPTFILES); the
            // shell's DLL is loaded at the first drop.
            auto* drop = reinterpret_cast<HDROP>(wParam);
            const auto query =
                LateBound<decltype(DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
            const auto finish = LateBound<decltype(DragFinish)>(L"shell32.dll", "DragFinish");
            if (query == nullptr || finish == nullptr) return 0;
            const UINT length = query(drop, 0, nullptr, 0);
            std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
            query(drop, 0, path.data(), length + 1);
            path.resize(length);
            finish(drop);
            if (!path.empty()) OpenList(Utf8FromWide(path));
            return 0;
        }
        case WM_VERIFIER_START:
            StartRequest();
            return 0;
        case WM_VERIFIER_ACCELERATORS:
            return reinterpret_cast<LRESULT>(accelerators_.Get());
        case WM_VERIFIER_EXIT_CODE:
            return exitCode_;
        case WM_VERIFIER_RUNNING:
            return controller_->Running() ? 1 : 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_DESTROY:
            // Destroyed during a run (not through WM_CLOSE): cancelled. The
            // controller waits for its worker when the object goes, which
            // the worker's looks at the flag keep short.
            if (controller_->Running()) {
                controller_->Cancel();
                exitCode_ = kExitCancelled;
            }
            KillTimer(window_, kShowTimer);
            PostQuitMessage(exitCode_);
            return 0;
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

// What CreateWindowExW hands to WM_NCCREATE.
struct WindowStart {
    const VerifierRequest* request;
    StartedCheck* started;
};

LRESULT CALLBACK VerifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<VerifyWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        const auto* start = static_cast<const WindowStart*>(create->lpCreateParams);
        try {
            self = new VerifyWindow(window, *start->request, start->started);
        } catch (...) {
            return FALSE;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    LRESULT result = 0;
    ++self->depth;
    try {
        result = self->Handle(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        MessageBoxW(nullptr, L"There is not enough memory for what was asked.", kProgramTitle,
                    MB_OK | MB_TASKMODAL | MB_ICONERROR);
    } catch (const std::exception& failure) {
        // Nothing may cross the window procedure: the user learns what failed.
        MessageBoxW(nullptr, WideFromUtf8(failure.what()).c_str(), kProgramTitle,
                    MB_OK | MB_TASKMODAL | MB_ICONERROR);
    } catch (...) {
        MessageBoxW(nullptr, L"Something failed in an unforeseen way.", kProgramTitle,
                    MB_OK | MB_TASKMODAL | MB_ICONERROR);
    }
    --self->depth;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->destroyed = true;
    }
    // The last handler of a destroyed window frees it.
    if (self->destroyed && self->depth == 0) delete self;
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

std::unique_ptr<StartedCheck> StartCheckEarly(const VerifierRequest& request) {
    if (request.start != VerifierRequest::Start::kCheck) return nullptr;
    if (!request.report.empty() && !OutputTargetFault(request.report, request.list, {}).empty()) {
        return nullptr;
    }
    auto started = std::make_unique<StartedCheck>();
    started->wakeTarget = std::make_shared<std::atomic<HWND>>(nullptr);
    started->controller = std::make_unique<RunController>(WakeOf(started->wakeTarget));
    CheckRequest check;
    check.list = request.list;
    check.folder = UnquotedPath(request.folder);
    check.recursive = request.recursive;
    check.uncached = request.uncached;
    started->controller->StartCheck(check);
    return started;
}

HWND CreateVerifyWindow(HINSTANCE instance, const VerifierRequest& request, int show,
                        std::unique_ptr<StartedCheck> started) {
    INITCOMMONCONTROLSEX controls = {
        sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    if (!RegisterVerifyWindowClass(instance)) return nullptr;
    // The readers of a run share the processors with this thread: ahead of
    // them, it answers at once however busy they are.
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
    WindowStart start{&request, started.get()};
    HWND window =
        CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kVerifyWindowClass, kProgramTitle,
                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 960,
                        600, nullptr, nullptr, instance, &start);
    if (window == nullptr) return nullptr;
    ShowWindow(window, show);
    return window;
}

bool TranslateVerifyWindowMessage(HWND window, MSG* message) {
    if (!IsWindow(window)) return false;
    const auto accelerators =
        reinterpret_cast<HACCEL>(SendMessageW(window, WM_VERIFIER_ACCELERATORS, 0, 0));
    if (accelerators != nullptr && TranslateAcceleratorW(window, accelerators, message)) {
        return true;
    }
    return IsDialogMessageW(window, message) != FALSE;
}

int RunVerifyWindowLoop(HWND window) {
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (TranslateVerifyWindowMessage(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

}  // namespace sumbrook
