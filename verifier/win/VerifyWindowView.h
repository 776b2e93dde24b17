// The object behind the verification window (VerifyWindow.h), internal to
// verifier/: its controls, its run controller, Copy and Save, and what it
// does for each message. The window procedure (VerifyWindowProc.cpp) makes
// one per window and frees it once its last handler has returned; the
// handlers are in VerifyWindow.cpp. Windows only.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/WinHandles.h"
#include "verifier/RunController.h"
#include "verifier/VerifierCommandLine.h"
#include "verifier/win/RowListView.h"
#include "verifier/win/RowsOutput.h"
#include "verifier/win/VerifierControlIds.h"
#include "verifier/win/VerifyWindow.h"
#include "verifier/win/VerifyWindowControls.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

inline constexpr wchar_t kVerifyWindowTitle[] = L"Sumbrook Verify";

// The wake of a run's worker: a post to the window `target` holds, once it
// holds one.
std::function<void()> WakeOf(const std::shared_ptr<std::atomic<HWND>>& target);

// Whether a dropped file is opened as a list: not a regular file (the
// list's refusal says what it is), or one that reads as a list by what it
// starts with (DroppedFile.h).
bool OpensAsList(const std::string& path);

// What waits for the run going to end.
enum class AfterRun { kNothing, kClose, kOpenList };

class VerifyWindow {
  public:
    VerifyWindow(HWND window, const VerifierRequest& request, StartedCheck* started)
        : window_(window), request_(request), output_(window, WM_VERIFIER_CONTINUE) {
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

    ~VerifyWindow() = default;
    VerifyWindow(const VerifyWindow&) = delete;
    VerifyWindow& operator=(const VerifyWindow&) = delete;

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

    // The window procedure keeps the object while any of its handlers runs,
    // so that a handler whose callee ends the window (a message box's loop
    // that closes it) never goes on in freed memory.
    int depth = 0;
    bool destroyed = false;

  private:
    // Timers: what came and is not shown yet is shown at a pace while a run
    // goes on (kShowTimer); a wake soon after a take waits (kTakeTimer).
    static constexpr UINT_PTR kShowTimer = 1;
    static constexpr UINT_PTR kTakeTimer = 2;

    void Create();
    // The check started before the window (StartCheckEarly) is shown as
    // this window's.
    void TakeOverStartedCheck();
    void StartRequest();
    void UpdateTitle(const std::string& path);
    void UpdateButtons();

    void OpenList(const std::string& path);
    // The window of one file (OneFileWindow.h), owned by this one.
    void CheckOneFile(const std::string& path);
    // Files dropped on the window: the first list among them opened, a
    // window of its own for each other file (at most kMostFileWindows).
    void DroppedFiles(const std::vector<std::string>& paths);
    void StartCheck();
    void StartRecheck();
    // Asks for what is not given: the folder, where the list goes.
    void StartNewList(const std::string& folder, const std::string& saveAs);
    void Started();
    void OnRunArrived(WPARAM how);
    void TakeArrived();
    void ShowRun();
    void ShowNotices();
    // The line about the list's signature (SignatureBanner.h), hidden while
    // a run goes on and after a new list.
    void ShowSignature();
    // Add key...: a key file chosen, its fingerprints and user IDs shown to
    // compare, added to the key store, and the list checked again.
    void AddKey();
    void ShowStatusLine();
    void RunEnded();
    // What waits for a run's end, once its report (if asked for) is written:
    // a refusal told, the window closed, another list opened.
    void AfterRunEnd();
    void StartSaving(const std::string& path, bool requested);
    void Cancel();
    void Close();

    void ContinueWork();
    void OutputEnded(const RowsOutput::Ended& ended);
    // Whether Copy or Save goes on, which must end before a run changes the
    // rows.
    bool Busy() const { return output_.Busy(); }

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
    void TellVerbs(const std::string& failed, const char* done);

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
    RowsOutput output_;
    bool reportedRun_ = false;  // the run that ended had its report asked for
    bool noticesShown_ = false;
    SignatureBanner banner_;
    // The title names the list and the kind of its digests, once known.
    std::string titlePath_;
    std::optional<DigestKind> shownKind_;
};

}  // namespace sumbrook
