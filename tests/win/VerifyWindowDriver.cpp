#include "VerifyWindowDriver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/WideText.h"
#include "verifier/RowText.h"
#include "verifier/win/VerifierControlIds.h"

namespace sumbrook::test {

std::wstring LongForm(const std::string& path) {
    return L"\\\\?\\" + WideFromUtf8(path);
}

void MakeFolderW(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryW(LongForm(path).c_str(), nullptr)) << path;
}

void WriteFileW(const std::string& path, const std::string& content) {
    HANDLE file =
        CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

void WriteSparseFile(const std::string& path, std::uint64_t size) {
    HANDLE file =
        CreateFileW(LongForm(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

std::string TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    return Utf8FromWide(text);
}

HDROP MakeDrop(const std::string& path) {
    return MakeDrop(std::vector<std::string>{path});
}

HDROP MakeDrop(const std::vector<std::string>& paths) {
    std::wstring wide;
    for (const std::string& path : paths) wide += WideFromUtf8(path) + L'\0';
    wide.pop_back();
    // The names follow the header, each ended by a NUL, the list by another.
    const std::size_t bytes = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(files) + sizeof(DROPFILES), wide.c_str(),
                wide.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

AnswerProbe::AnswerProbe(HWND window) : window_(window) {
    prober_ = std::thread([this] {
        while (!stop_) {
            const DWORD start = GetTickCount();
            DWORD_PTR result = 0;
            const bool answered =
                SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
            worst_ = std::max<DWORD>(worst_, GetTickCount() - start);
            ++asked_;
            if (!answered) ++late_;
            Sleep(10);
        }
    });
}

AnswerProbe::~AnswerProbe() {
    Stop();
}

void AnswerProbe::Stop() {
    if (!prober_.joinable()) return;
    stop_ = true;
    // The last ask may be on its way: answer it before waiting.
    std::atomic<bool> ended{false};
    std::thread joiner([&] {
        prober_.join();
        ended = true;
    });
    PumpUntil([&] { return ended.load(); }, 5000);
    joiner.join();
}

OpenWindow::OpenWindow(const VerifierRequest& request)
    : window_(CreateVerifyWindow(GetModuleHandleW(nullptr), request, SW_SHOWNOACTIVATE)) {
    // The request starts from a posted message: once the queue is empty
    // the run has started (or already ended).
    PumpUntil([] { return true; }, 0);
}

OpenWindow::~OpenWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
    PumpUntil([] { return true; }, 0);
}

bool OpenWindow::Running() const {
    return SendMessageW(window_, WM_VERIFIER_RUNNING, 0, 0) != 0;
}

int OpenWindow::ExitCode() const {
    return static_cast<int>(SendMessageW(window_, WM_VERIFIER_EXIT_CODE, 0, 0));
}

bool OpenWindow::WaitForEnd() const {
    return PumpUntil([this] { return !Running(); }, kRunLimitMs);
}

void OpenWindow::Command(int id) const {
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

std::string OpenWindow::Status() const {
    return TextOf(Control(ID_STATUS_LINE));
}

std::string OpenWindow::Cell(int item, int column) const {
    wchar_t text[1024] = {};
    LVITEMW request = {};
    request.iSubItem = column;
    request.pszText = text;
    request.cchTextMax = 1024;
    SendMessageW(Control(ID_ROWS), LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                 reinterpret_cast<LPARAM>(&request));
    return Utf8FromWide(text);
}

std::vector<std::vector<std::string>> OpenWindow::Rows() const {
    HWND list = Control(ID_ROWS);
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    std::vector<std::vector<std::string>> rows;
    for (int item = 0; item < count; ++item) {
        std::vector<std::string> cells;
        for (std::size_t column = 0; column < kRowColumnCount; ++column) {
            wchar_t text[1024] = {};
            LVITEMW request = {};
            request.iSubItem = static_cast<int>(column);
            request.pszText = text;
            request.cchTextMax = 1024;
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(item),
                         reinterpret_cast<LPARAM>(&request));
            cells.push_back(Utf8FromWide(text));
        }
        rows.push_back(cells);
    }
    return rows;
}

}  // namespace sumbrook::test
