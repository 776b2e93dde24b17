// The verification window built in this process and driven with messages:
// its rows and saved report against sumbrook-cli.exe on a prepared tree,
// Cancel in the middle of a large file, the answer to WM_NULL all through a
// run, a refused list, and the Explorer verbs.
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "CliProcess.h"
#include "MessageBoxCatcher.h"
#include "TempFolder.h"
#include "VerifyWindowDriver.h"
#include "crc/Crc32.h"
#include "crc/Crc32Combine.h"
#include "platform/WideText.h"
#include "tests/common/TestContent.h"
#include "verifier/win/ExplorerVerbs.h"
#include "verifier/win/OneFileWindow.h"
#include "verifier/win/VerifierControlIds.h"
#include "verifier/win/VerifyWindow.h"

namespace sumbrook {
namespace {

using test::CrcText;
using test::LongForm;
using test::MakeFolderW;
using test::OpenWindow;
using test::PumpUntil;
using test::RemoveTreeW;
using test::TempFolder;
using test::WriteFileW;
using test::WriteSparseFile;

// The checksum of `size` zero bytes, `size` a power of two of at least 1 MiB.
std::string ZerosCrcText(std::uint64_t size) {
    const std::string mebibyte(1 << 20, '\0');
    std::uint32_t crc = Crc32Update(0, mebibyte.data(), mebibyte.size());
    for (std::uint64_t length = 1 << 20; length < size; length *= 2) {
        crc = Crc32Combine(crc, crc, length);
    }
    return Crc32Text(crc);
}

std::size_t ThreadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    std::size_t count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    }
    CloseHandle(snapshot);
    return count;
}

// A folder with one file of each kind a check finds, named in the list.
class PreparedTree : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = scratch_ / "tree";
        MakeFolderW(root_);
        const std::string cyrillic = "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.txt";  // "файл.txt"
        std::string deep;
        std::string deepFolder = root_;
        for (int level = 0; level < 5; ++level) {
            const std::string part(50, static_cast<char>('a' + level));
            deep += part + "/";
            deepFolder += "\\" + part;
            MakeFolderW(deepFolder);
        }
        deep += "deep.txt";
        ASSERT_GT(deepFolder.size() + 9, 260u);
        const struct {
            std::string name, content, listed;
        } files[] = {
            {"ok.txt", "fine", CrcText("fine")},
            {"changed.txt", "now", CrcText("before")},
            {"locked.txt", "held", CrcText("held")},
            {"dup.txt", "twice", CrcText("twice")},
            {cyrillic, "cyrillic", CrcText("cyrillic")},
            {deep, "deep", CrcText("deep")},
            {"new.txt", "unlisted", ""},
        };
        std::string list;
        for (const auto& file : files) {
            std::string path = root_ + "\\" + file.name;
            std::replace(path.begin(), path.end(), '/', '\\');
            WriteFileW(path, file.content);
            if (!file.listed.empty()) list += file.name + " " + file.listed + "\r\n";
        }
        list += "missing.txt " + CrcText("gone") + "\r\n";
        list += "dup.txt " + CrcText("twice") + "\r\n";
        list_ = root_ + "\\list.sfv";
        WriteFileW(list_, list);
        expected_ = {
            {"ok.txt", "OK"},         {"changed.txt", "CHANGED"}, {"locked.txt", "UNREADABLE"},
            {"dup.txt", "DUPLICATE"}, {cyrillic, "OK"},           {deep, "OK"},
            {"new.txt", "NEW"},       {"missing.txt", "MISSING"}};
    }
    void TearDown() override { RemoveTreeW(LongForm(root_)); }

    TempFolder scratch_;
    std::string root_;
    std::string list_;
    std::vector<std::pair<std::string, std::string>> expected_;  // name, status
};

TEST_F(PreparedTree, RowsAndSavedReportAreThoseOfTheCommandLine) {
    // Held open without sharing: neither program can read it.
    HANDLE held = CreateFileW(LongForm(root_ + "\\locked.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const test::CliRun cli = test::RunCli(scratch_, {"--verify", list_});
    VerifierRequest request;
    request.start = VerifierRequest::Start::kCheck;
    request.list = list_;
    request.report = scratch_ / "report.txt";
    std::vector<std::vector<std::string>> rows;
    int exitCode = -1;
    {
        OpenWindow window(request);
        ASSERT_TRUE(window.WaitForEnd());
        rows = window.Rows();
        exitCode = window.ExitCode();
    }
    CloseHandle(held);

    EXPECT_EQ(exitCode, 2);
    EXPECT_EQ(cli.exitCode, 2u);
    const std::string report = test::ReadWholeFile(scratch_ / "report.txt");
    EXPECT_EQ(report, cli.out);
    EXPECT_NE(report.find("\r\n"), std::string::npos);

    // Each row is its report line's status and name; each file has its status.
    const std::string lines = cli.Out();
    std::vector<std::string> reportLines;
    for (std::size_t at = 0, end; (end = lines.find('\n', at)) != std::string::npos; at = end + 1) {
        reportLines.push_back(lines.substr(at, end - at));
    }
    ASSERT_EQ(rows.size() + 1, reportLines.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::string start = rows[i][0];
        start.resize(12, ' ');
        start += rows[i][1];
        EXPECT_EQ(reportLines[i].substr(0, start.size()), start) << i;
    }
    for (const auto& [name, status] : expected_) {
        const std::string& wanted = name;  // a lambda captures no structured binding in C++17
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const auto& cells) { return cells[1] == wanted; });
        ASSERT_NE(row, rows.end()) << name;
        EXPECT_EQ((*row)[0], status) << name;
        if (status == "CHANGED") {
            EXPECT_EQ((*row)[2], CrcText("before"));
            EXPECT_EQ((*row)[3], CrcText("now"));
        }
        if (status == "UNREADABLE") {
            EXPECT_FALSE((*row)[5].empty());
        }
    }
}

TEST(VerifyWindowTest, CancelInALargeFileEndsTheRunAndLeavesNoThread) {
    TempFolder scratch;
    // Sparse, so read at memory speed: large enough that the run is still
    // inside it when the bar first moves (the window redraws five times a
    // second), where a 1 GiB one could be read whole by then.
    WriteSparseFile(scratch / "big.bin", 8ULL << 30);
    test::WriteWholeFile(scratch / "list.sfv", "big.bin 00000000\r\n");
    const std::size_t threadsBefore = ThreadsOfThisProcess();
    VerifierRequest request;
    request.start = VerifierRequest::Start::kCheck;
    request.list = scratch / "list.sfv";
    request.uncached = false;
    {
        OpenWindow window(request);
        ASSERT_TRUE(window.Running());
        HWND bar = GetDlgItem(window.Get(), ID_PROGRESS);
        // Into the file: the bar moves while the one file is read.
        ASSERT_TRUE(PumpUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, 60000));
        const DWORD asked = GetTickCount();
        window.Command(ID_CANCEL_RUN);
        ASSERT_TRUE(PumpUntil([&] { return !window.Running(); }, 5000));
        const DWORD took = GetTickCount() - asked;
        std::printf("[ cancel ] the run ended %lu ms after Cancel\n",
                    static_cast<unsigned long>(took));
        // Stopped inside the file: its row never came, the bar stands short.
        EXPECT_LT(SendMessageW(bar, PBM_GETPOS, 0, 0), 1000);
        EXPECT_TRUE(window.Rows().empty());
        EXPECT_EQ(window.ExitCode(), 3);
        wchar_t status[512] = {};
        GetWindowTextW(GetDlgItem(window.Get(), ID_STATUS_LINE), status, 512);
        EXPECT_NE(Utf8FromWide(status).find("cancelled"), std::string::npos);
    }
    EXPECT_TRUE(PumpUntil([&] { return ThreadsOfThisProcess() <= threadsBefore; }, 2000))
        << ThreadsOfThisProcess() << " threads, " << threadsBefore << " before";
}

// A second thread asks the window with WM_NULL (SendMessageTimeout, 100 ms)
// all through a run and keeps the longest wait. A window whose thread read
// the files would answer nothing while the 2 GiB file is read. Late answers
// are counted, not failed one by one: on a machine whose processors the
// readers and other programs fill, the window's thread waits for a turn
// (Wine does not apply thread priorities); most must come in time, and the
// longest wait is printed and measured on its own in bench/verify-bench.sh.
struct RunSize {
    const char* what;
    std::size_t smallFiles;
    std::uint64_t bigFile;
};

// One test per run, each within the watchdog's limit (making and removing
// 20,000 files takes Wine a while).
class AnswersWithin100MsAllThroughARun : public ::testing::TestWithParam<RunSize> {};

TEST_P(AnswersWithin100MsAllThroughARun, AndTheRunEndsWithEveryRow) {
    TempFolder scratch;
    {
        const RunSize& c = GetParam();
        const std::string folder = scratch.MakeFolder(std::to_string(c.smallFiles));
        std::string list;
        // In folders of 200: Wine looks through a folder for a name in another
        // case before it makes a file, so one folder of 20,000 would take
        // minutes to fill.
        for (std::size_t i = 0; i < c.smallFiles; ++i) {
            const std::string sub = "d" + std::to_string(i / 200);
            const std::string subFolder = std::string(folder).append("\\").append(sub);
            if (i % 200 == 0) MakeFolderW(subFolder);
            const std::string name = sub + "/f" + std::to_string(i) + ".txt";
            const std::string content = std::to_string(i);
            const std::string path = subFolder + "\\f" + std::to_string(i) + ".txt";
            WriteFileW(path, content);
            list += name + " " + CrcText(content) + "\r\n";
        }
        if (c.bigFile > 0) {
            WriteSparseFile(folder + "\\big.bin", c.bigFile);
            list += "big.bin " + ZerosCrcText(c.bigFile) + "\r\n";
        }
        test::WriteWholeFile(folder + "\\list.sfv", list);
        VerifierRequest request;
        request.start = VerifierRequest::Start::kCheck;
        request.list = folder + "\\list.sfv";
        OpenWindow window(request);
        std::atomic<bool> runEnded{false};
        std::atomic<bool> stop{false};
        std::atomic<DWORD> worstMs{0};
        std::atomic<int> late{0};
        std::atomic<int> asked{0};
        std::atomic<int> answeredDuringRun{0};
        HWND target = window.Get();
        std::thread prober([&] {
            while (!stop) {
                const DWORD start = GetTickCount();
                DWORD_PTR result = 0;
                const bool answered =
                    SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
                worstMs = std::max<DWORD>(worstMs, GetTickCount() - start);
                ++asked;
                if (!answered) {
                    ++late;
                } else if (!runEnded) {
                    ++answeredDuringRun;
                }
                Sleep(10);
            }
        });
        const bool ended = window.WaitForEnd();
        runEnded = true;
        stop = true;
        // The last ask may be on its way: answer it before waiting.
        std::atomic<bool> proberDone{false};
        std::thread joiner([&] {
            prober.join();
            proberDone = true;
        });
        PumpUntil([&] { return proberDone.load(); }, 5000);
        joiner.join();
        ASSERT_TRUE(ended) << c.what;
        std::printf("[ worst WM_NULL ] %s: %lu ms over %d asks, %d over 100 ms\n", c.what,
                    static_cast<unsigned long>(worstMs.load()), asked.load(), late.load());
        EXPECT_GT(answeredDuringRun, 0) << c.what;
        EXPECT_LE(late * 2, asked) << c.what;
        EXPECT_EQ(window.ExitCode(), 0) << c.what;
        EXPECT_EQ(window.Rows().size(), c.smallFiles + (c.bigFile > 0 ? 1 : 0));
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, AnswersWithin100MsAllThroughARun,
                         ::testing::Values(RunSize{"20,000 small files", 20000, 0},
                                           RunSize{"a 2 GiB file", 0, 2ULL << 30}));

TEST(VerifyWindowTest, RefusedListIsOneMessageNamingListAndLineAndTheWindowStaysUsable) {
    TempFolder scratch;
    test::WriteWholeFile(scratch / "a.txt", "a");
    const std::string list =
        scratch.Write("bad.sfv", "a.txt " + CrcText("a") + "\r\nthis is no line\r\n");
    VerifierRequest request;
    request.start = VerifierRequest::Start::kCheck;
    request.list = list;
    test::MessageBoxCatcher catcher;
    OpenWindow window(request);
    ASSERT_TRUE(window.WaitForEnd());
    ASSERT_EQ(catcher.Caught().size(), 1u);
    const test::CaughtMessageBox& box = catcher.Caught().front();
    EXPECT_NE(box.text.find(list), std::string::npos) << box.text;
    EXPECT_NE(box.text.find("line 2"), std::string::npos) << box.text;
    EXPECT_EQ(box.icon, static_cast<unsigned>(MB_ICONHAND));
    EXPECT_TRUE(box.othersDisabled);
    EXPECT_TRUE(window.Rows().empty());
    EXPECT_EQ(window.ExitCode(), 2);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window.Get(), ID_CHECK_AGAIN)));

    // Mended, the same list checks again from the same window.
    test::WriteWholeFile(list, "a.txt " + CrcText("a") + "\r\n");
    window.Command(ID_CHECK_AGAIN);
    ASSERT_TRUE(window.WaitForEnd());
    EXPECT_EQ(window.Rows().size(), 1u);
    EXPECT_EQ(window.ExitCode(), 0);
}

// reg.exe of the prefix, as a user would look.
bool KeyExists(const std::string& key) {
    std::wstring command = L"reg.exe query \"" + WideFromUtf8(key) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &startup, &process)) {
        ADD_FAILURE() << "reg.exe did not start";
        return false;
    }
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code == 0;
}

TEST(VerifyWindowTest, ExplorerVerbsAddedAndRemovedWithoutATrace) {
    const std::string classes = "HKCU\\Software\\Classes\\";
    const std::string keys[] = {
        classes + "SystemFileAssociations\\.sfv\\shell\\SumbrookVerify\\command",
        classes + "SystemFileAssociations\\.sha256\\shell\\SumbrookVerify\\command",
        classes + "SystemFileAssociations\\.b3\\shell\\SumbrookVerify\\command",
        classes + "SystemFileAssociations\\.xxh128\\shell\\SumbrookVerify\\command",
        classes + "SystemFileAssociations\\.xxh64\\shell\\SumbrookVerify\\command",
        classes + "Directory\\shell\\SumbrookNewList\\command",
        classes + "*\\shell\\SumbrookFile\\command",
    };
    const std::string parents[] = {classes + "SystemFileAssociations", classes + "Directory",
                                   classes + "*"};
    std::vector<bool> before;
    for (const std::string& parent : parents) before.push_back(KeyExists(parent));
    OpenWindow window(VerifierRequest{});
    {
        test::MessageBoxCatcher catcher;
        window.Command(ID_ADD_EXPLORER_VERBS);
        for (const std::string& key : keys) EXPECT_TRUE(KeyExists(key)) << key;
        window.Command(ID_REMOVE_EXPLORER_VERBS);
        for (const std::string& key : keys) EXPECT_FALSE(KeyExists(key)) << key;
        // Each says that it was done.
        ASSERT_EQ(catcher.Caught().size(), 2u);
        EXPECT_EQ(catcher.Caught()[0].icon, static_cast<unsigned>(MB_ICONINFORMATION));
        EXPECT_NE(catcher.Caught()[1].text.find("removed"), std::string::npos);
    }
    for (std::size_t i = 0; i < std::size(parents); ++i) {
        EXPECT_EQ(KeyExists(parents[i]), before[i]) << parents[i];
    }
}

// Both windows made smaller and larger: every button moved is drawn again
// where it now is (it has a region to paint before the next WM_PAINT),
// neither left unpainted nor drawn by copying its old bits.
TEST(VerifyWindowTest, ControlsMovedByAResizeAreDrawnAgain) {
    TempFolder scratch;
    const std::string path = scratch.Write("a.bin", "abc");
    OneFileRequest file;
    file.path = path;
    file.expectGiven = true;
    HWND one = CreateOneFileWindow(GetModuleHandleW(nullptr), file, nullptr, SW_SHOWNOACTIVATE);
    ASSERT_NE(one, nullptr);
    OpenWindow lists(VerifierRequest{});
    const struct {
        HWND window;
        int button;  // moved by a change of width or height
    } cases[] = {{one, ID_CLOSE_FILE}, {one, IDCANCEL}, {lists.Get(), ID_NEW_LIST}};
    for (const auto& c : cases) {
        ASSERT_TRUE(
            PumpUntil([&] { return SendMessageW(c.window, WM_VERIFIER_RUNNING, 0, 0) == 0; },
                      test::kRunLimitMs, c.window));
        for (const SIZE size : {SIZE{300, 300}, SIZE{1000, 700}}) {
            PumpUntil([] { return true; }, 0);
            HWND button = GetDlgItem(c.window, c.button);
            RECT before = {};
            GetWindowRect(button, &before);
            SetWindowPos(c.window, nullptr, 0, 0, size.cx, size.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            RECT after = {};
            GetWindowRect(button, &after);
            ASSERT_FALSE(EqualRect(&before, &after)) << c.button;
            EXPECT_NE(GetUpdateRect(button, nullptr, FALSE), FALSE) << c.button << " " << size.cx;
            if (c.window != one) continue;
            // Every digest is seen whole, its last digit inside its box, at
            // the smallest width too.
            PumpUntil([] { return true; }, 0);
            for (int i = 0; i < 6; ++i) {
                HWND box = GetDlgItem(one, ID_FILE_DIGEST_FIRST + i);
                const int length = GetWindowTextLengthW(box);
                const auto last = static_cast<DWORD>(
                    SendMessageW(box, EM_POSFROMCHAR, static_cast<WPARAM>(length - 1), 0));
                RECT inside = {};
                GetClientRect(box, &inside);
                EXPECT_LT(static_cast<int>(LOWORD(last)), inside.right) << i << " " << size.cx;
                EXPECT_LT(static_cast<int>(HIWORD(last)) + 10, inside.bottom)
                    << i << " " << size.cx;
            }
        }
    }
    DestroyWindow(one);
    PumpUntil([] { return true; }, 0);
}

// A '%' in the program's path is written "%%" in every command, so that
// the shell neither fails to start it nor puts the file's path inside it.
TEST(VerifyWindowTest, ExplorerCommandsOfAProgramInAFolderWithPercent) {
    const std::string program = "C:\\Pct 50%\\Sum %1 brook\\SumbrookVerify.exe";
    ASSERT_EQ(AddExplorerVerbs(program), "");
    const auto command = [](const wchar_t* key) {
        wchar_t value[1024] = {};
        DWORD bytes = sizeof value;
        const std::wstring path = std::wstring(L"Software\\Classes\\") + key + L"\\command";
        const LONG error = RegGetValueW(HKEY_CURRENT_USER, path.c_str(), nullptr, RRF_RT_REG_SZ,
                                        nullptr, value, &bytes);
        return error == ERROR_SUCCESS ? Utf8FromWide(value) : std::string("(none)");
    };
    const std::string quoted = "\"C:\\Pct 50%%\\Sum %%1 brook\\SumbrookVerify.exe\"";
    EXPECT_EQ(command(L"*\\shell\\SumbrookFile"), quoted + " /file \"%1\"");
    EXPECT_EQ(command(L"Directory\\shell\\SumbrookNewList"), quoted + " /new \"%1\"");
    EXPECT_EQ(command(L"SystemFileAssociations\\.xxh64\\shell\\SumbrookVerify"),
              quoted + " \"%1\"");
    EXPECT_EQ(RemoveExplorerVerbs(), "");
}

}  // namespace
}  // namespace sumbrook
