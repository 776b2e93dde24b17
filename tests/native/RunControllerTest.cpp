// The window's run controller on real folders, driven as the window drives
// it: Cancel that returns at once while the end comes later, "Check failed
// again" that puts its rows in their places in a report of the whole list,
// a refused "Check again" that leaves the rows shown, the notices in the
// report as sumbrook-cli prints them, and the files a report must not
// replace.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

#include "PosixTestFiles.h"
#include "cli/Commands.h"
#include "verifier/RowsTextJob.h"
#include "verifier/RunController.h"
#include "verify/ReportText.h"

namespace sumbrook {
namespace {

using test::CrcText;
using test::TempDirectory;
using Clock = std::chrono::steady_clock;

// The controller with the window's loop: wakes are waited for, and every
// take takes a slice of rows.
class Driven {
  public:
    Driven()
        : controller_([this] {
              std::lock_guard<std::mutex> lock(mutex_);
              woken_ = true;
              changed_.notify_all();
          }) {}

    RunController& Get() { return controller_; }

    // Takes until the run ends; false after 20 s.
    bool UntilEnd() {
        const Clock::time_point limit = Clock::now() + std::chrono::seconds(20);
        while (controller_.Running()) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                if (!changed_.wait_until(lock, limit, [this] { return woken_; })) return false;
                woken_ = false;
            }
            RunChanges changes;
            do {
                changes = controller_.Take(1000);
            } while (changes.more);
        }
        return true;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool woken_ = false;
    RunController controller_;
};

std::string Read(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// What sumbrook-cli prints for the same list, standard error first (its
// lines come before any row), with CR LF as the window saves it.
std::string CliReport(const std::string& list) {
    const TempDirectory dir;  // apart from the folder checked
    CliSettings settings;
    std::FILE* out = std::fopen((dir / "cli.out").c_str(), "wb");
    std::FILE* err = std::fopen((dir / "cli.err").c_str(), "wb");
    settings.out = out;
    settings.err = err;
    VerifyDirectory(list, "", false, settings);
    std::fclose(out);
    std::fclose(err);
    std::string text;
    for (const char c : Read(dir / "cli.err") + Read(dir / "cli.out")) {
        if (c == '\n') text += '\r';
        text += c;
    }
    return text;
}

TEST(RunControllerTest, CancelReturnsAtOnceAndTheEndComesLater) {
    TempDirectory dir;
    std::string list;
    for (int line = 0; line < 400000; ++line) {
        list += "gone" + std::to_string(line % 50) + "/m" + std::to_string(line) + " 00000000\n";
    }
    dir.Write("big.sfv", list);
    Driven driven;
    driven.Get().StartCheck({dir / "big.sfv", "", false, false});
    const Clock::time_point asked = Clock::now();
    driven.Get().Cancel();
    EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(5));
    EXPECT_TRUE(driven.Get().Running());
    EXPECT_TRUE(driven.Get().Cancelling());
    ASSERT_TRUE(driven.UntilEnd());
    EXPECT_LT(Clock::now() - asked, std::chrono::milliseconds(500));
    EXPECT_EQ(driven.Get().ExitCode(), 3);
    EXPECT_LT(driven.Get().Table().Rows().Count(), 400000U);
}

TEST(RunControllerTest, FailedAgainReplacesItsRowsAndTheReportCoversTheWholeList) {
    TempDirectory dir;
    dir.Write("a", "a");
    dir.Write("b", "changed");
    dir.Write("c", "c");
    const std::string list =
        dir.Write("l.sfv", "a " + CrcText("a") + "\nb " + CrcText("b") + "\nc " + CrcText("c") +
                               "\ngone " + CrcText("x") + "\n");
    Driven driven;
    RunController& controller = driven.Get();
    controller.StartCheck({list, "", false, false});
    ASSERT_TRUE(driven.UntilEnd());
    EXPECT_EQ(controller.ExitCode(), 1);
    ASSERT_EQ(controller.Table().Rows().Count(), 4U);

    dir.Write("b", "b");
    ASSERT_TRUE(controller.StartRecheck());
    ASSERT_TRUE(driven.UntilEnd());
    const std::string whole = CliReport(list);
    EXPECT_EQ(controller.ReportText(), whole);
    EXPECT_NE(whole.find("3 OK, 0 CHANGED, 1 MISSING"), std::string::npos) << whole;
    EXPECT_EQ(controller.ExitCode(), 1);

    // The list gone, "Check again" is refused and the rows stay.
    ASSERT_EQ(std::remove(list.c_str()), 0);
    controller.StartCheck({list, "", false, false});
    ASSERT_TRUE(driven.UntilEnd());
    EXPECT_EQ(controller.ExitCode(), 2);
    EXPECT_EQ(controller.LastOutcome().end, CheckOutcome::End::kRefused);
    EXPECT_EQ(controller.Table().Rows().Count(), 4U);
    EXPECT_EQ(controller.ReportText(), whole);
}

TEST(RunControllerTest, NoticesAreInTheReportAsTheCommandLinePrintsThem) {
    TempDirectory dir;
    dir.Write("a", "a");
    const std::string list = dir.Write("l.sfv", "l.sfv 00000000\na " + CrcText("a") + "\n");
    Driven driven;
    RunController& controller = driven.Get();
    controller.StartCheck({list, "", false, false});
    ASSERT_TRUE(driven.UntilEnd());
    ASSERT_EQ(controller.Notices().size(), 1U);
    EXPECT_NE(controller.Notices()[0].find("names itself on line 1"), std::string::npos);
    EXPECT_EQ(controller.ReportText(), CliReport(list));
}

TEST(RunControllerTest, AReportNeverReplacesTheListAFileOfTheCheckOrAReadOnlyFile) {
    TempDirectory dir;
    dir.Write("a", "a");
    dir.Write("xa", "xa");
    ASSERT_EQ(mkdir((dir / "sub").c_str(), 0755), 0);
    dir.Write("sub/B.txt", "b");
    const std::string list = dir.Write("l.sfv", "xa " + CrcText("xa") + "\na " + CrcText("a") +
                                                    "\nsub/B.txt " + CrcText("b") + "\n");
    const TempDirectory elsewhere;
    const std::string readOnly = elsewhere.Write("kept.txt", "kept");
    ASSERT_EQ(chmod(readOnly.c_str(), 0444), 0);
    Driven driven;
    RunController& controller = driven.Get();
    controller.StartCheck({list, "", false, false});
    ASSERT_TRUE(driven.UntilEnd());
    const struct {
        std::string target;
        std::string fault;
    } cases[] = {
        {list, "is the list being checked"},
        {dir.Path() + "/./l.sfv", "is the list being checked"},
        {dir / "a", "is a file of the check (" + dir / "a)"},
        {dir / "sub/B.txt", "is a file of the check (" + dir / "sub/B.txt)"},
        {readOnly, "is read-only"},
        {dir / "report.txt", ""},
        {elsewhere / "a", ""},
    };
    for (const auto& c : cases) {
        const std::string fault = controller.ReportTargetFault(c.target);
        if (c.fault.empty()) {
            EXPECT_EQ(fault, "") << c.target;
        } else {
            EXPECT_EQ(fault.rfind(c.fault, 0), 0U) << c.target << ": \"" << fault << "\"";
        }
    }
}

// Copy's lines and Save's report made a few rows a slice are what they are
// made whole: the report as the controller makes it, the lines in the
// order shown.
TEST(RowsTextJobTest, SlicesMakeTheWholeText) {
    TempDirectory dir;
    std::string list;
    for (int i = 0; i < 50; ++i) {
        dir.Write("f" + std::to_string(i), std::to_string(i));
        list +=
            "f" + std::to_string(i) + " " + CrcText(i % 7 == 0 ? "x" : std::to_string(i)) + "\n";
    }
    list += "gone " + CrcText("gone") + "\n";
    const std::string listPath = dir.Write("l.sfv", list);
    Driven driven;
    RunController& controller = driven.Get();
    controller.StartCheck({listPath, "", false, false});
    ASSERT_TRUE(driven.UntilEnd());
    RowOrder byName;
    byName.byColumn = true;
    byName.column = 1;
    byName.descending = true;
    controller.Table().SetOrder(byName);
    while (!controller.Table().ContinueSort(100)) {
    }
    RowsTextJob save(controller.Table(), controller.ReportOutcome(), controller.Notices(),
                     controller.ReportCoversTable());
    RowsTextJob copy(controller.Table(), {});
    std::string copied;
    std::string saved = save.TakeText();
    for (bool savedAll = false, made = false; !savedAll || !made;) {
        savedAll = save.Step(controller.Table(), 3);
        saved += save.TakeText();
        made = copy.Step(controller.Table(), 4);
        copied += copy.TakeText();
    }
    EXPECT_EQ(saved + save.Tail(), controller.ReportText());
    std::string shown;
    for (std::size_t i = 0; i < controller.Table().ShownCount(); ++i) {
        shown += ReportLine(controller.Table().Shown(i).Whole()) + "\r\n";
    }
    EXPECT_EQ(copied, shown);
    EXPECT_EQ(copied.rfind("MISSING     gone\r\nOK          f9\r\n", 0), 0U)
        << copied.substr(0, 40);
}

}  // namespace
}  // namespace sumbrook
