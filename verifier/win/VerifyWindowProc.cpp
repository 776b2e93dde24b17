// The verification window's class and procedure: the message switch of its
// object (VerifyWindowView.h), which the procedure keeps until its last
// handler has returned; the check started before the window; the message
// loop with the window's keys.
#include "verifier/win/VerifyWindow.h"

#include <commctrl.h>
#include <shellapi.h>

#include <exception>
#include <new>
#include <string>

#include "files/FileSize.h"
#include "platform/LateBoundCall.h"
#include "platform/WideText.h"
#include "verifier/win/OneFileWindow.h"
#include "verifier/win/VerifyWindowView.h"
#include "verifier/win/WindowObject.h"
#include "verify/OutputTarget.h"

namespace sumbrook {

// The wake of a run's worker: a post to the window `target` holds, once it
// holds one.
std::function<void()> WakeOf(const std::shared_ptr<std::atomic<HWND>>& target) {
    return [target] {
        if (HWND window = target->load()) PostMessageW(window, WM_VERIFIER_RUN_ARRIVED, 0, 0);
    };
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
                TakeOverStartedCheck();
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
        case WM_CTLCOLORSTATIC:
            // The signature's line in its tone's colour.
            if (reinterpret_cast<HWND>(lParam) == controls_.signature) {
                auto* dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, ToneColour(banner_.tone));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            return DefWindowProcW(window_, message, wParam, lParam);
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
            const UINT count = query(drop, 0xFFFFFFFF, nullptr, 0);
            std::vector<std::string> paths;
            for (UINT i = 0; i < count; ++i) {
                const UINT length = query(drop, i, nullptr, 0);
                std::wstring path(static_cast<std::size_t>(length) + 1, L'\0');
                query(drop, i, path.data(), length + 1);
                path.resize(length);
                if (!path.empty()) paths.push_back(Utf8FromWide(path));
            }
            finish(drop);
            DroppedFiles(paths);
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
            return controller_->Running() || output_.SavingRequested() ? 1 : 0;
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

namespace {

// What CreateWindowExW hands to WM_NCCREATE.
struct WindowStart {
    const VerifierRequest* request;
    StartedCheck* started;
};

LRESULT CALLBACK VerifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DispatchToWindowObject<VerifyWindow>(
        window, message, wParam, lParam, [window](const CREATESTRUCTW& create) {
            const auto* start = static_cast<const WindowStart*>(create.lpCreateParams);
            return new VerifyWindow(window, *start->request, start->started);
        });
}

bool RegisterVerifyWindowClass(HINSTANCE instance) {
    return RegisterProgramWindowClass(instance, kVerifyWindowClass, VerifyWindowProc);
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
    check.ignoreMissing = request.ignoreMissing;
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
        CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kVerifyWindowClass,
                        kVerifyWindowTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                        CW_USEDEFAULT, 960, 600, nullptr, nullptr, instance, &start);
    if (window == nullptr) return nullptr;
    ShowWindow(window, show);
    return window;
}

bool TranslateVerifyWindowMessage(HWND window, MSG* message) {
    // A window of one file opened from this one has its own keys.
    if (TranslateOneFileWindowMessage(message)) return true;
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