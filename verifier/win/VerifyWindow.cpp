#include "verifier/win/VerifyWindowView.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "files/FileSize.h"
#include "lists/DigestKindChoice.h"
#include "platform/ExtendedLengthPath.h"
#include "platform/WideText.h"
#include "platform/WinHandles.h"
#include "verifier/CheckReport.h"
#include "verifier/DroppedFile.h"
#include "verifier/NewListKinds.h"
#include "verifier/RowText.h"
#include "verifier/win/ExplorerVerbs.h"
#include "verifier/win/FileChoosers.h"
#include "verifier/win/KeyDialogs.h"
#include "verifier/win/OneFileWindow.h"
#include "verifier/win/VerifyWindowMenu.h"
#include "verify/OutputTarget.h"
#include "verify/ReportText.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

// While a run goes on, what came and is not shown yet is shown at this pace.
constexpr UINT kShowIntervalMs = 200;
// What the worker leaves is taken at most this often, unless rows wait.
constexpr UINT kTakeGapMs = 25;
// WM_VERIFIER_RUN_ARRIVED's wParam for "rows wait still: take now".
constexpr WPARAM kTakeAtOnce = 1;
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

}  // namespace

void VerifyWindow::TakeOverStartedCheck() {
    // What the worker posted before the window was there is taken now.
    list_ = request_.list;
    SetText(controls_.listPath, list_);
    UpdateTitle(list_);
    Started();
    PostMessageW(window_, WM_VERIFIER_RUN_ARRIVED, 0, 0);
}

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
    SendMessageW(controls_.skipMissing, BM_SETCHECK,
                 request_.ignoreMissing ? BST_CHECKED : BST_UNCHECKED, 0);
    if (request_.start == VerifierRequest::Start::kCheck) {
        SetText(controls_.folderPath, request_.folder);
    }
    UpdateTitle(std::string());
    UpdateButtons();
    ShowStatusLine();
}

void VerifyWindow::UpdateTitle(const std::string& path) {
    titlePath_ = path;
    shownKind_ = controller_->RowsDigestKind();
    std::wstring title = kVerifyWindowTitle;
    if (!path.empty()) {
        const std::string kind =
            shownKind_ ? std::string(" (") + DigestKindName(*shownKind_) + " list)" : std::string();
        title = WideFromUtf8(FileNamePart(path) + kind) + L" - " + title;
    }
    SetWindowTextW(window_, title.c_str());
    controls_.SetDigestColumnWidth(DigestColumnWidth(shownKind_));
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
    enable(controls_.skipMissing, 0, !running);
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
        case VerifierRequest::Start::kFile:
            // A file alone has a window of its own, owned by this one.
            CheckOneFile(request_.file);
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
    request.ignoreMissing = IsChecked(controls_.skipMissing);
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
    suggested += "\\" + (name.empty() ? std::string("checksums") : name);
    NewListKind kind = NewListKindOfTarget(saveAs, request_.tag);
    std::string target = saveAs;
    if (target.empty()) {
        std::size_t entry = 0;
        target = ChooseNewListToSave(window_, suggested, entry);
        kind = kNewListKinds[entry];
        if (target.empty() || destroyed) return;
        // The name follows the type chosen, before anything is written; a
        // file of the name it then has is not replaced unasked.
        const std::string followed = TargetFollowingKind(target, kind);
        std::uint64_t size = 0;
        if (followed != target && QueryFileSize(followed, size)) {
            Tell(kind.Label() + " go in a ." + kind.extension + " file, and " + followed +
                 " is there already; nothing was written.");
            return;
        }
        target = followed;
    }
    if (target.empty() || destroyed) return;
    list_.clear();
    SetText(controls_.listPath, target);
    UpdateTitle(target);
    NewListRequest request;
    request.folder = chosen;
    request.target = target;
    request.recursive = IsChecked(controls_.subfolders);
    request.format = kind.format;
    request.digest = kind.digest;
    controller_->StartNewList(request);
    UpdateTitle(target);
    Started();
}

void VerifyWindow::Started() {
    ShowSignature();
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
    if (controller_->RowsDigestKind() != shownKind_) UpdateTitle(titlePath_);
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
    // What the run's summary says beside its counts, as the command line
    // prints it.
    const std::string notes = controller_->NotesLine();
    if (!notes.empty()) text += (text.empty() ? "" : "\r\n") + notes;
    SetText(controls_.notices, text);
    // Laying out moves every control: only when the box comes or goes.
    if (!text.empty() != noticesShown_) {
        noticesShown_ = !text.empty();
        controls_.Layout(noticesShown_);
    }
}

void VerifyWindow::ShowSignature() {
    SignatureBanner banner;
    if (!controller_->Running() && controller_->Kind() != RunKind::kNewList) {
        banner = controller_->Banner();
    }
    const bool moved = banner.shown != banner_.shown || banner.offersAddKey != banner_.offersAddKey;
    banner_ = std::move(banner);
    SetText(controls_.signature, banner_.text);
    InvalidateRect(controls_.signature, nullptr, TRUE);
    if (moved) {
        controls_.ShowSignature(banner_.shown, banner_.offersAddKey);
        controls_.Layout(noticesShown_);
    }
}

void VerifyWindow::AddKey() {
    if (controller_->Running()) return;
    if (AddKeyFromFile(window_) && !destroyed) StartCheck();
}

void VerifyWindow::ShowStatusLine() {
    std::string line = StatusLineText(controller_->StatusFacts());
    if (controller_->Table().Sorting()) line += " \xC2\xB7 Sorting...";
    line += output_.StatusText();
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
    ShowSignature();
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
        // The refusals that say it already ("...; nothing was checked") are
        // not told it twice.
        const std::string refusal = RefusalText(outcome);
        const std::string said = "nothing was checked";
        const bool saysIt = refusal.size() >= said.size() &&
                            refusal.compare(refusal.size() - said.size(), said.size(), said) == 0;
        Tell(saysIt
                 ? refusal
                 : refusal + "\n\n" +
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

// What adding or removing the Explorer commands did, failed or not.
void VerifyWindow::TellVerbs(const std::string& failed, const char* done) {
    if (!failed.empty()) {
        Tell(failed + ".");
        return;
    }
    MessageBoxW(window_, WideFromUtf8(done).c_str(), kVerifyWindowTitle,
                MB_OK | MB_ICONINFORMATION);
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
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), kVerifyWindowTitle,
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
    output_.StartSave(controller_->Table(), path, controller_->ReportOutcome(),
                      controller_->Notices(), controller_->ReportCoversTable(), requested);
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
    output_.StartCopy(table, std::move(indices));
    ContinueWork();
}

void VerifyWindow::OutputEnded(const RowsOutput::Ended& ended) {
    if (!ended.fault.empty()) {
        if (!ended.saved) {
            Tell("The rows " + ended.fault + ".");
        } else {
            if (ended.requested) exitCode_ = kExitError;
            Tell("The report " + ended.path + " " + ended.fault + "; it was not written.");
        }
        if (destroyed) return;
    }
    if (ended.requested) {
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
    // A writer with too much waiting posts once it has room.
    if (output_.Making() && !output_.ContinueText(table, kTextSlice)) {
        again = !output_.WaitsForWriter();
    }
    RowsOutput::Ended ended;
    if (output_.TakeEnd(ended)) {
        OutputEnded(ended);
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

bool OpensAsList(const std::string& path) {
    std::uint64_t size = 0;
    if (!QueryFileSize(path, size)) return true;
    const ScopedFileHandle file(
        CreateFileW(ExtendedLengthPath(WideFromUtf8(path)).c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return true;
    std::string head(kDroppedFileLook, '\0');
    DWORD read = 0;
    if (!ReadFile(file.Get(), head.data(), static_cast<DWORD>(head.size()), &read, nullptr)) {
        return true;
    }
    head.resize(read);
    return ReadsAsList(head);
}

void VerifyWindow::DroppedFiles(const std::vector<std::string>& paths) {
    constexpr std::size_t kMostFileWindows = 16;
    std::vector<std::string> lists;
    std::vector<std::string> files;
    for (const std::string& path : paths) (OpensAsList(path) ? lists : files).push_back(path);
    if (!lists.empty()) OpenList(lists.front());
    if (destroyed) return;
    for (std::size_t i = 0; i < files.size() && i < kMostFileWindows; ++i) CheckOneFile(files[i]);
    std::string left;
    if (lists.size() > 1) {
        left = "One list is checked at a time: " + lists.front() + " was opened, " +
               std::to_string(lists.size() - 1) + " other list(s) were left.";
    }
    if (files.size() > kMostFileWindows) {
        left += std::string(left.empty() ? "" : " ") + "Windows were opened for the first " +
                std::to_string(kMostFileWindows) + " files; " +
                std::to_string(files.size() - kMostFileWindows) + " other file(s) were left.";
    }
    if (!left.empty()) Tell(left);
}

void VerifyWindow::CheckOneFile(const std::string& path) {
    OneFileRequest request;
    request.path = path;
    if (CreateOneFileWindow(reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE)),
                            request, window_, SW_SHOWNORMAL) == nullptr) {
        Tell("The window of one file cannot be made.");
    }
}

void VerifyWindow::OnCommand(int id) {
    switch (id) {
        case ID_CHECK_FILE: {
            const std::string path = ChooseFileToCheck(window_);
            if (!path.empty() && !destroyed) CheckOneFile(path);
            return;
        }
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
        case ID_ADD_KEY:
            AddKey();
            return;
        case ID_KEYS:
            ShowKeysDialog(window_);
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
            TellVerbs(failed,
                      "The Explorer commands were added: \"Verify with Sumbrook\" on "
                      "lists, \"Create checksum list\" on folders and \"Checksums with "
                      "Sumbrook\" on files.");
            return;
        }
        case ID_REMOVE_EXPLORER_VERBS:
            TellVerbs(RemoveExplorerVerbs(), "The Explorer commands were removed.");
            return;
        case ID_EXIT:
            PostMessageW(window_, WM_CLOSE, 0, 0);
            return;
        default:
            return;
    }
}

}  // namespace sumbrook
