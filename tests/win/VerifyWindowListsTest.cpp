// Lists of every kind in the verification window built in this process:
// sum lines, a list whose digests' length alone tells their kind (a note),
// BSD tags, and "Skip missing files", each made by sumbrook-cli.exe --list
// and checked by both programs: the saved report is sumbrook-cli --verify's
// output, the title and status line name the kind, the digest columns and
// a row's tip show whole digests.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "OpenFileDialogDriver.h"
#include "TempFolder.h"
#include "VerifyWindowDriver.h"
#include "platform/WideText.h"
#include "verifier/NewListKinds.h"
#include "verifier/RowText.h"
#include "verifier/win/VerifierControlIds.h"
#include "verifier/win/VerifyWindow.h"

namespace sumbrook {
namespace {

using test::OpenWindow;
using test::TempFolder;

TEST(VerifyWindowListsTest, ListsOfEveryKindAreCheckedAsTheCommandLineChecksThem) {
    TempFolder scratch;
    const std::string data = scratch.MakeFolder("data");
    const std::string lists = scratch.MakeFolder("lists");
    const struct {
        std::string list;
        std::vector<std::string> made;  // sumbrook-cli's options after --list DATA
        std::string kind;
        std::size_t digits;
        bool skipMissing;
    } cases[] = {
        {"files.sha256", {"-a", "sha256"}, "SHA-256", 64, false},
        // 32 digits in a list whose name names no kind: MD5 or XXH128, settled
        // by the first file, which the summary's note says.
        {"sums.txt", {"-a", "md5"}, "MD5", 32, false},
        {"tags.txt", {"-a", "sha512", "--tag"}, "SHA-512", 128, false},
        {"skip.sha256", {"-a", "sha256"}, "SHA-256", 64, true},
    };
    for (const auto& c : cases) {
        const std::string list = lists + "\\" + c.list;
        test::WriteWholeFile(data + "\\a.txt", "alpha");
        test::WriteWholeFile(data + "\\b.txt", "bravo");
        test::WriteWholeFile(data + "\\c.txt", "charlie");
        DeleteFileA((data + "\\d.txt").c_str());
        std::vector<std::string> make = {"--list", data, "-o", list};
        make.insert(make.end(), c.made.begin(), c.made.end());
        ASSERT_EQ(test::RunCli(scratch, make).exitCode, 0u) << c.list;
        // One file CHANGED, one MISSING, one NEW.
        test::WriteWholeFile(data + "\\b.txt", "changed");
        DeleteFileA((data + "\\c.txt").c_str());
        test::WriteWholeFile(data + "\\d.txt", "delta");
        std::vector<std::string> verify = {"--verify", list, data};
        if (c.skipMissing) verify.emplace_back("--ignore-missing");
        const test::CliRun cli = test::RunCli(scratch, verify);

        const std::string report = scratch / "report.txt";
        VerifierRequest request;
        request.start = VerifierRequest::Start::kCheck;
        request.list = list;
        request.folder = data;
        request.report = report;
        request.ignoreMissing = c.skipMissing;
        OpenWindow window(request);
        ASSERT_TRUE(window.WaitForEnd()) << c.list;
        // The report is written in slices after the run's end ("Saving...").
        ASSERT_TRUE(test::PumpUntil(
            [&] { return window.Status().find("...") == std::string::npos; }, test::kRunLimitMs));
        EXPECT_EQ(static_cast<DWORD>(window.ExitCode()), cli.exitCode) << c.list;
        EXPECT_EQ(test::ReadWholeFile(report), cli.out) << c.list;

        const std::string named = c.kind + " list";
        EXPECT_NE(test::TextOf(window.Get()).find("(" + named + ")"), std::string::npos);
        EXPECT_EQ(window.Status().rfind(named + " \xC2\xB7 ", 0), 0u) << window.Status();
        // The summary and its notes, as the command line's last line.
        const std::string out = cli.Out();
        const std::size_t lastLine = out.rfind('\n', out.size() - 2) + 1;
        const std::string summary = out.substr(lastLine, out.size() - 1 - lastLine);
        const bool noted = summary.find("; ") != std::string::npos;
        EXPECT_EQ(noted, c.list == "sums.txt") << summary;
        if (noted) {
            EXPECT_NE(test::TextOf(window.Control(ID_NOTICES)).find(summary), std::string::npos);
        }

        // The changed file's digests: whole up to 40 digits, else their ends
        // with "…" between (the report is made of the rows, whole).
        const std::vector<std::vector<std::string>> rows = window.Rows();
        const auto changed = std::find_if(rows.begin(), rows.end(),
                                          [](const auto& row) { return row[1] == "b.txt"; });
        ASSERT_NE(changed, rows.end()) << c.list;
        const std::size_t shown = c.digits <= 40 ? c.digits : 24 + 3;
        EXPECT_EQ((*changed)[2].size(), shown);
        EXPECT_GE(SendMessageW(window.Control(ID_ROWS), LVM_GETCOLUMNWIDTH, 2, 0),
                  static_cast<LRESULT>(shown * 6));
        EXPECT_LE(SendMessageW(window.Control(ID_ROWS), LVM_GETCOLUMNWIDTH, 2, 0), 320);
        // Its tip, as the list view asks for it, holds both digests whole.
        wchar_t tipText[1024] = {};
        NMLVGETINFOTIPW tip = {};
        tip.hdr.hwndFrom = window.Control(ID_ROWS);
        tip.hdr.idFrom = ID_ROWS;
        tip.hdr.code = LVN_GETINFOTIPW;
        tip.pszText = tipText;
        tip.cchTextMax = static_cast<int>(std::size(tipText));
        tip.iItem = static_cast<int>(changed - rows.begin());
        SendMessageW(window.Get(), WM_NOTIFY, ID_ROWS, reinterpret_cast<LPARAM>(&tip));
        const std::string tipped = Utf8FromWide(tipText);
        const std::size_t found = tipped.find("\r\nFound: ");
        ASSERT_NE(found, std::string::npos) << tipped;
        const std::string head = "b.txt\r\nExpected: ";
        ASSERT_EQ(tipped.rfind(head, 0), 0u) << tipped;
        const std::string expectedWhole = tipped.substr(head.size(), found - head.size());
        const std::string foundWhole = tipped.substr(found + 9);
        EXPECT_EQ(expectedWhole.size(), c.digits);
        EXPECT_EQ(foundWhole.size(), c.digits);
        EXPECT_EQ(DigestColumnText(expectedWhole), (*changed)[2]);
        EXPECT_EQ(DigestColumnText(foundWhole), (*changed)[3]);
    }
}

// "New list..." asks which list in its save dialog's file types, suggests
// the folder's name, adds the type's extension and writes what
// sumbrook-cli --list writes for the same folder; /save's name says which
// list without asking (/tag: BSD tags).
TEST(VerifyWindowListsTest, NewListOfTheFileTypeChosenIsTheCommandLines) {
    TempFolder scratch;
    const std::string data = scratch.MakeFolder("data");
    test::WriteWholeFile(data + "\\a.txt", "alpha");
    test::WriteWholeFile(data + "\\sub.b3", "bravo");
    const struct {
        int fileType;  // -1: saved as `made` says, without the dialog
        std::string made;
        bool tag;
        std::vector<std::string> cli;
    } cases[] = {
        {1, "made.sha256", false, {"-a", "sha256"}},
        {8, "made.md5", false, {"-a", "md5", "--tag"}},
        {-1, "SHA512SUMS", false, {"-a", "sha512"}},
        // b3sum reads no tag lines: BLAKE3's are sum lines, /tag or not.
        {-1, "made.b3", true, {"-a", "blake3"}},
    };
    for (const auto& c : cases) {
        const std::string made = scratch / c.made;
        VerifierRequest request;
        request.start = VerifierRequest::Start::kNewList;
        request.folder = data;
        request.saveAs = c.fileType < 0 ? made : std::string();
        request.tag = c.tag;
        test::OpenFileDialogDriver driver(scratch / "made");
        driver.ChooseFileType(c.fileType);
        OpenWindow window(request);
        ASSERT_TRUE(window.WaitForEnd());
        EXPECT_EQ(window.ExitCode(), 0);
        EXPECT_EQ(driver.Seen().timesShown, c.fileType < 0 ? 0 : 1);
        if (c.fileType >= 0) {
            EXPECT_EQ(driver.Seen().filters.size(), kNewListKindCount);
            EXPECT_EQ(driver.Seen().presetName, "data");
        }
        std::vector<std::string> list = {"--list", data};
        list.insert(list.end(), c.cli.begin(), c.cli.end());
        EXPECT_EQ(test::ReadWholeFile(made), test::RunCli(scratch, list).out) << c.made;
    }
}

}  // namespace
}  // namespace sumbrook
