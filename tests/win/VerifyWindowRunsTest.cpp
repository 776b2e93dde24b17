// The verification window's runs as a user meets them: a list dropped while
// a run that closes the window goes on, Cancel, a drop and closing in every
// step of a long run (the window answers at once and the run ends soon),
// reports and lists that must not replace the files of the run, and the
// notices of a run shown and saved as sumbrook-cli prints them.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliProcess.h"
#include "MessageBoxCatcher.h"
#include "TempFolder.h"
#include "VerifyWindowDriver.h"
#include "tests/common/TestContent.h"
#include "verifier/win/VerifierControlIds.h"

namespace sumbrook {
namespace {

using test::CrcText;
using test::MakeDrop;
using test::OpenWindow;
using test::PumpUntil;
using test::TempFolder;

VerifierRequest CheckOf(const std::string& list) {
    VerifierRequest request;
    request.start = VerifierRequest::Start::kCheck;
    request.list = list;
    return request;
}

// The window that closes when its run ends is sent a list while the run
// goes on: it cancels, and ends once the run has (the window used to free
// itself inside the drop's handler, which went on in freed memory).
TEST(VerifyWindowRunsTest, AListDroppedDuringARunThatClosesTheWindowEndsItCleanly) {
    TempFolder scratch;
    test::WriteSparseFile(scratch / "big.bin", 8ULL << 30);
    const std::string list = scratch.Write("big.sfv", "big.bin 00000000\r\n");
    const std::string other = scratch.Write("other.sfv", "big.bin 00000000\r\n");
    VerifierRequest request = CheckOf(list);
    request.closeWhenDone = true;
    OpenWindow window(request);
    HWND bar = window.Control(ID_PROGRESS);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, 60000));
    const DWORD start = GetTickCount();
    SendMessageW(window.Get(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(other)), 0);
    EXPECT_LT(GetTickCount() - start, 500u);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window.Get()); }, 10000));
}

// Cancel, a dropped list and closing the window, each while a list of a
// million lines is read or a tree of many folders is listed: the window's
// thread returns at once (it never waits for the worker) and the run ends
// soon after (every step looks at the cancel flag). The times are printed;
// the limits allow for a loaded machine.
enum class Action { kCancel, kDrop, kClose };

struct StepCase {
    const char* what;
    bool newList;  // else a check of the list of a million lines
    const char* step;
    Action action;
};

class EveryStepStopsSoon : public ::testing::TestWithParam<StepCase> {};

TEST_P(EveryStepStopsSoon, AndTheWindowNeverWaits) {
    const StepCase& c = GetParam();
    TempFolder scratch;
    VerifierRequest request;
    if (c.newList) {
        const std::string tree = scratch.MakeFolder("tree");
        for (int folder = 0; folder < 3000; ++folder) {
            const std::string path = tree + "\\d" + std::to_string(folder);
            CreateDirectoryA(path.c_str(), nullptr);
            test::WriteWholeFile(path + "\\f.txt", "f");
        }
        request.start = VerifierRequest::Start::kNewList;
        request.folder = tree;
        request.saveAs = scratch / "made.sfv";
        request.recursive = true;
    } else {
        std::string lines;
        lines.reserve(40u << 20);
        for (int line = 0; line < 1000000; ++line) {
            lines += "d" + std::to_string(line / 1000) + "/f" + std::to_string(line) +
                     ".bin 00000000\r\n";
        }
        request = CheckOf(scratch.Write("big.sfv", lines));
    }
    scratch.MakeFolder("small");
    test::WriteWholeFile(scratch / "small\\a.txt", "a");
    const std::string small = scratch.Write("small\\list.sfv", "a.txt " + CrcText("a") + "\r\n");
    OpenWindow window(request);
    // A new list's status line names its kind before the step.
    ASSERT_TRUE(PumpUntil([&] { return window.Status().find(c.step) != std::string::npos; }, 60000))
        << c.what << ": " << window.Status();
    const DWORD start = GetTickCount();
    switch (c.action) {
        case Action::kCancel:
            window.Command(ID_CANCEL_RUN);
            break;
        case Action::kDrop:
            SendMessageW(window.Get(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(small)), 0);
            break;
        case Action::kClose:
            SendMessageW(window.Get(), WM_CLOSE, 0, 0);
            break;
    }
    const DWORD answered = GetTickCount() - start;
    if (c.action == Action::kCancel) {
        EXPECT_NE(window.Status().find("Cancelling..."), std::string::npos) << window.Status();
    }
    bool ended = false;
    switch (c.action) {
        case Action::kCancel:
            ended = PumpUntil([&] { return !window.Running(); }, 30000);
            EXPECT_EQ(window.ExitCode(), 3) << c.what;
            break;
        case Action::kDrop:
            // The run ends, and the dropped list is checked after it.
            ended =
                PumpUntil([&] { return !window.Running() && window.Rows().size() == 1; }, 30000);
            EXPECT_EQ(window.ExitCode(), 0) << c.what;
            break;
        case Action::kClose:
            ended = PumpUntil([&] { return !IsWindow(window.Get()); }, 30000);
            break;
    }
    const DWORD endedAfter = GetTickCount() - start;
    std::printf("[ %s ] answered in %lu ms, ended %lu ms after\n", c.what,
                static_cast<unsigned long>(answered), static_cast<unsigned long>(endedAfter));
    EXPECT_TRUE(ended) << c.what;
    EXPECT_LT(answered, 500u) << c.what;
    EXPECT_LT(endedAfter, 3000u) << c.what;
}

INSTANTIATE_TEST_SUITE_P(Steps, EveryStepStopsSoon,
                         ::testing::Values(StepCase{"Cancel while the list is read", false,
                                                    "Reading the list", Action::kCancel},
                                           StepCase{"a list dropped while the list is read", false,
                                                    "Reading the list", Action::kDrop},
                                           StepCase{"closed while the list is read", false,
                                                    "Reading the list", Action::kClose},
                                           StepCase{"Cancel while a new list's folders are listed",
                                                    true, "Listing folders", Action::kCancel},
                                           StepCase{"closed while a new list's folders are listed",
                                                    true, "Listing folders", Action::kClose}));

// A report or a list is never written over the list being checked, a file
// of the check or a read-only file: one message naming it, exit code 2,
// and the file as it was.
struct TargetCase {
    const char* what;
    const char* target;  // in the scratch folder; "tree\\..." inside the tree checked
    bool newList;
    bool readOnly;
    const char* fault;
};

class RefusedTargets : public ::testing::TestWithParam<TargetCase> {};

TEST_P(RefusedTargets, KeepTheirFileAndSaySo) {
    const TargetCase& c = GetParam();
    TempFolder scratch;
    const std::string tree = scratch.MakeFolder("tree");
    test::WriteWholeFile(tree + "\\a.txt", "a");
    const std::string list = scratch.Write("tree\\list.sfv", "a.txt " + CrcText("a") + "\r\n");
    const std::string target = scratch / c.target;
    if (!test::FileExists(target)) test::WriteWholeFile(target, "kept\r\n");
    const std::string before = test::ReadWholeFile(target);
    if (c.readOnly) {
        ASSERT_TRUE(SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    VerifierRequest request = CheckOf(list);
    if (c.newList) {
        request = VerifierRequest();
        request.start = VerifierRequest::Start::kNewList;
        request.folder = tree;
        request.saveAs = target;
    } else {
        request.report = target;
    }
    test::MessageBoxCatcher catcher;
    {
        OpenWindow window(request);
        ASSERT_TRUE(window.WaitForEnd());
        PumpUntil([&] { return !catcher.Caught().empty(); }, 5000);
        EXPECT_EQ(window.ExitCode(), 2) << c.what;
    }
    ASSERT_EQ(catcher.Caught().size(), 1u) << c.what;
    EXPECT_NE(catcher.Caught()[0].text.find(c.fault), std::string::npos)
        << c.what << ": " << catcher.Caught()[0].text;
    EXPECT_EQ(test::ReadWholeFile(target), before) << c.what;
    if (c.readOnly) {
        EXPECT_NE(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << c.what;
        SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, RefusedTargets,
    ::testing::Values(TargetCase{"the report onto the list", "tree\\list.sfv", false, false,
                                 "is the list being checked"},
                      TargetCase{"the report onto a listed file", "tree\\a.txt", false, false,
                                 "is a file of the check"},
                      TargetCase{"the report onto a read-only file", "old report.txt", false, true,
                                 "is read-only"},
                      TargetCase{"a new list onto a read-only list", "old.sfv", true, true,
                                 "is read-only"}));

// A list that names itself: the window says so (the notices' box and the
// status line), and the saved report holds the notice as sumbrook-cli.exe
// prints it on standard error, before its output.
TEST(VerifyWindowRunsTest, NoticesAreShownAndSavedAsTheCommandLinePrintsThem) {
    TempFolder scratch;
    const std::string tree = scratch.MakeFolder("tree");
    test::WriteWholeFile(tree + "\\a.txt", "a");
    const std::string list =
        scratch.Write("tree\\list.sfv", "list.sfv 00000000\r\na.txt " + CrcText("a") + "\r\n");
    const test::CliRun cli = test::RunCli(scratch, {"--verify", list});
    VerifierRequest request = CheckOf(list);
    request.report = scratch / "report.txt";
    OpenWindow window(request);
    ASSERT_TRUE(window.WaitForEnd());
    HWND notices = window.Control(ID_NOTICES);
    EXPECT_TRUE(IsWindowVisible(notices));
    EXPECT_NE(test::TextOf(notices).find("names itself on line 1"), std::string::npos)
        << test::TextOf(notices);
    EXPECT_NE(window.Status().find("1 notice"), std::string::npos) << window.Status();
    ASSERT_FALSE(cli.err.empty());
    EXPECT_EQ(test::ReadWholeFile(scratch / "report.txt"), cli.err + cli.out);
}

}  // namespace
}  // namespace sumbrook
