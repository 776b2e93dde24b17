// SumbrookVerify.exe as its own process, as scripts start it: the exit codes
// 0, 1, 2 and 3, a refused list with /close (its error in the report, no
// message box), closing the window during a run, "New list..." against
// sumbrook-cli --sfv; /skipmissing with no listed file there.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "ProcessWindow.h"
#include "TempFolder.h"
#include "platform/WideText.h"
#include "tests/common/TestContent.h"

namespace sumbrook {
namespace {

using test::CrcText;
using test::TempFolder;

constexpr DWORD kRunLimitMs = 120000;

// The program started with UTF-8 arguments, each quoted.
class VerifierProcess {
  public:
    explicit VerifierProcess(const std::vector<std::string>& arguments) {
        std::wstring commandLine =
            L"\"" + WideFromUtf8(test::BuiltProgramPath(SUMBROOK_VERIFY_PATH)) + L"\"";
        for (const std::string& argument : arguments) {
            commandLine += L" \"" + WideFromUtf8(argument) + L"\"";
        }
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process_) != FALSE;
    }
    ~VerifierProcess() {
        if (!started_) return;
        if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process_.hProcess, 99);
        }
        CloseHandle(process_.hThread);
        CloseHandle(process_.hProcess);
    }
    VerifierProcess(const VerifierProcess&) = delete;
    VerifierProcess& operator=(const VerifierProcess&) = delete;

    bool Started() const { return started_; }
    // The exit code, or 0xFFFFFFFF when the process has not ended in time.
    DWORD Wait(DWORD limitMs = kRunLimitMs) const {
        if (WaitForSingleObject(process_.hProcess, limitMs) != WAIT_OBJECT_0) return 0xFFFFFFFF;
        DWORD code = 0xFFFFFFFF;
        GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }
    // The program's window (of the class `className`), once it is there.
    HWND Window(DWORD limitMs, const char* className = "SumbrookVerifyWindow") const {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < limitMs) {
            const HWND found = test::FindProcessWindow(
                process_.dwProcessId,
                [className](HWND window) { return test::ClassNameOf(window) == className; });
            if (found != nullptr) return found;
            Sleep(20);
        }
        return nullptr;
    }

  private:
    bool started_ = false;
    PROCESS_INFORMATION process_ = {};
};

TEST(VerifyProgramTest, ExitCodesOfChecksEndedWithClose) {
    TempFolder scratch;
    // The lists apart from the folder they check, so that none is NEW there.
    const std::string data = scratch.MakeFolder("data");
    const std::string empty = scratch.MakeFolder("empty");
    test::WriteWholeFile(data + "\\a.txt", "a");
    const std::string lists = scratch.MakeFolder("lists");
    const struct {
        std::string list, content, folder;
        DWORD expected;
        bool skipMissing = false;  // /skipmissing, --ignore-missing
    } cases[] = {
        {"good.sfv", "a.txt " + CrcText("a") + "\r\n", data, 0},
        {"changed.sfv", "a.txt " + CrcText("b") + "\r\n", data, 1},
        {"refused.sfv", "a.txt\r\n", data, 2},
        // A list that names no file checks nothing: an error, as on the command line.
        {"nothing.sfv", "; no files\r\n", empty, 2},
        // So does skipping the missing files of a list none of whose files is there.
        {"gone.sha256", std::string(64, 'a') + "  gone.txt\n", empty, 2, true},
    };
    for (const auto& c : cases) {
        const std::string list = lists + "\\" + c.list;
        test::WriteWholeFile(list, c.content);
        const std::string report = scratch / "report.txt";
        DeleteFileA(report.c_str());
        std::vector<std::string> arguments = {list,      "/folder", c.folder,
                                              "/report", report,    "/close"};
        std::vector<std::string> cliArguments = {"--verify", list, c.folder};
        if (c.skipMissing) {
            arguments.emplace_back("/skipmissing");
            cliArguments.emplace_back("--ignore-missing");
        }
        VerifierProcess program(arguments);
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.Wait(), c.expected) << c.list;
        ASSERT_TRUE(test::FileExists(report)) << c.list;
        // The report is sumbrook-cli's: its standard output, or for a refused
        // list the line of its standard error.
        const test::CliRun cli = test::RunCli(scratch, cliArguments);
        EXPECT_EQ(program.Wait(0), cli.exitCode) << c.list;
        EXPECT_EQ(test::ReadWholeFile(report), c.expected == 2 ? cli.err : cli.out) << c.list;
    }
}

// A file large enough to be closed while it is read: 4 GiB of zeros, sparse.
std::string WriteSparseFile(const TempFolder& scratch, const std::string& name) {
    std::string path = scratch / name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = 4LL << 30;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
    return path;
}

TEST(VerifyProgramTest, ClosingTheWindowDuringARunEndsTheProcessAsCancelled) {
    TempFolder scratch;
    WriteSparseFile(scratch, "big.bin");
    const std::string list = scratch.Write("big.sfv", "big.bin 00000000\r\n");
    const std::string report = scratch / "report.txt";
    VerifierProcess program({list, "/report", report});
    ASSERT_TRUE(program.Started());
    HWND window = program.Window(30000);
    ASSERT_NE(window, nullptr);
    Sleep(300);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Wait(10000), 3u);
    // The report asked for is written, marked cancelled, as Cancel writes it.
    const std::string written = test::ReadWholeFile(report);
    EXPECT_GE(written.size(), 11u);
    EXPECT_EQ(written.substr(written.size() - 11), "cancelled\r\n") << written;
}

// The check of one file as scripts run it: 0 the digest given matches, 1 it
// does not, 2 the file cannot be read or no algorithm has the digest, 3 the
// window closed while reading.
TEST(VerifyProgramTest, ExitCodesOfOneFile) {
    TempFolder scratch;
    const std::string file = scratch.Write("a.txt", "a");
    const char kSha256OfA[] = "ca978112ca1bbdcafac231b39a23dc4da786eff8147c4e72b9807785afee48bb";
    const struct {
        std::vector<std::string> arguments;
        DWORD expected;
    } cases[] = {
        {{"/file", file, "/expect", kSha256OfA, "/close"}, 0},
        {{"/file", file, "/expect", std::string("SHA256 (a.txt) = ") + kSha256OfA, "/close"}, 0},
        {{"/file", file, "/expect", "0cc175b9c0f1b6a831c399e269772661", "/close"}, 0},  // MD5
        {{"/file", file, "/expect", std::string(64, '0'), "/close"}, 1},
        {{"/file", file, "/expect", "abc", "/close"}, 2},
        {{"/file", scratch / "none.txt", "/expect", kSha256OfA, "/close"}, 2},
        {{"/file", file, "/close"}, 0},
    };
    for (const auto& c : cases) {
        VerifierProcess program(c.arguments);
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.Wait(), c.expected) << ::testing::PrintToString(c.arguments);
    }
    VerifierProcess big({"/file", WriteSparseFile(scratch, "big.bin"), "/expect", kSha256OfA});
    ASSERT_TRUE(big.Started());
    HWND window = big.Window(30000, "SumbrookVerifyFileWindow");
    ASSERT_NE(window, nullptr);
    Sleep(300);
    PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(big.Wait(10000), 3u);
}

// Command lines as scripts write them: a folder ending in a backslash
// before its closing quote, and a line that cannot be followed with /close,
// whose reason goes into the report asked for.
TEST(VerifyProgramTest, ScriptsCommandLinesAreFollowedOrRefusedInTheReport) {
    TempFolder scratch;
    const std::string folder = scratch.MakeFolder("tree");
    test::WriteWholeFile(folder + "\\one.txt", "one");
    const std::string made = scratch / "made.sfv";
    const std::string report = scratch / "report.txt";
    const struct {
        std::vector<std::string> arguments;
        DWORD expected;
        std::string file, holds;
    } cases[] = {
        {{"/new", folder + "\\", "/r", "/save", made, "/close"}, 0, made, "one.txt "},
        {{"list.sfv", "/report", report, "/bogus", "/close"}, 2, report, "unknown option /bogus"},
        {{"list.sfv", "/report", report, "/report", report, "/close"}, 2, report, "given twice"},
    };
    for (const auto& c : cases) {
        DeleteFileA(c.file.c_str());
        VerifierProcess program(c.arguments);
        ASSERT_TRUE(program.Started());
        EXPECT_EQ(program.Wait(), c.expected) << c.holds;
        EXPECT_NE(test::ReadWholeFile(c.file).find(c.holds), std::string::npos)
            << test::ReadWholeFile(c.file);
    }
}

TEST(VerifyProgramTest, NewListIsTheCommandLinesSfvList) {
    TempFolder scratch;
    // Both lists name the time SOURCE_DATE_EPOCH gives.
    SetEnvironmentVariableA("SOURCE_DATE_EPOCH", "1700000000");
    const std::string folder = scratch.MakeFolder("tree");
    scratch.MakeFolder("tree\\sub");
    test::WriteWholeFile(folder + "\\one.txt", "one");
    test::WriteWholeFile(folder + "\\sub\\two.txt", "two");
    const test::CliRun cli = test::RunCli(scratch, {"--sfv", folder, "-r"});
    ASSERT_EQ(cli.exitCode, 0u) << cli.err;
    const std::string target = scratch / "made.sfv";
    VerifierProcess program({"/new", folder, "/r", "/save", target, "/close"});
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.Wait(), 0u);
    SetEnvironmentVariableA("SOURCE_DATE_EPOCH", nullptr);
    // The same lines under a header that names this program.
    std::string expected = cli.out;
    const std::string cliName = "sumbrook-cli";
    ASSERT_EQ(expected.find(cliName), 15u) << expected;
    expected.replace(15, cliName.size(), "SumbrookVerify");
    const std::string made = test::ReadWholeFile(target);
    EXPECT_EQ(made.rfind("; Generated by SumbrookVerify ", 0), 0u) << made;
    EXPECT_NE(made.find(" on 2023-11-14 at 22:13:20"), std::string::npos) << made;
    EXPECT_EQ(made, expected);
}

}  // namespace
}  // namespace sumbrook
