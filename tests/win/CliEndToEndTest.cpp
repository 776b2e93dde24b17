// sumbrook-cli.exe as its own process under Wine: each command and exit code
// on real folders, and a protocol written by the dialog's all-files command
// verified by the command line, before and after the folder changes.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "CliProcess.h"
#include "MessageBoxCatcher.h"
#include "ShellAssociation.h"
#include "TempFolder.h"
#include "app/CalculateAllFiles.h"

// What the summary of a CRC-32 list (SFV, protocol) whose files matched ends
// with: such a match tells damage, not a file made to match.
#define CRC_MATCH_NOTE                                                                          \
    "; CRC-32 matches detect damage, not a file changed on purpose (a SHA-256 list tells that " \
    "too)"

namespace sumbrook {
namespace {

using test::MessageBoxCatcher;
using test::ReadWholeFile;
using test::TempFolder;
using test::TxtOpenAssociation;

using test::CliRun;
using test::RunCli;
using test::WithoutCarriageReturns;

// Everything after the header line, which holds the moment of the run.
std::string AfterHeader(const std::string& protocol) {
    const std::size_t end = protocol.find("\r\n");
    return end == std::string::npos ? std::string() : protocol.substr(end + 2);
}

class CliEndToEnd : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }

    // The folder of the worked example, with what no protocol shows.
    void SetUp() override {
        folder_.Write("abc.txt", "abc");
        folder_.Write("empty.log", "");
        folder_.Write("crc_check_value_of_the_nine_digits.txt", "123456789");
        SetFileAttributesA(folder_.Write("hidden.txt", "h").c_str(), FILE_ATTRIBUTE_HIDDEN);
        SetFileAttributesA(folder_.Write("system.txt", "s").c_str(), FILE_ATTRIBUTE_SYSTEM);
        folder_.MakeFolder("archive");
    }

    // The protocol that the dialog's all-files command writes for `folder_`,
    // with the shell's "open" action pointed at nothing (its message caught).
    std::string DialogProtocol() {
        const TxtOpenAssociation none = TxtOpenAssociation::None();
        MessageBoxCatcher catcher;
        EXPECT_FALSE(CalculateAllFiles(nullptr, folder_.Path(), dialogTemp_.Path() + "\\"));
        EXPECT_EQ(catcher.Caught().size(), 1U);
        return dialogTemp_ / "#CRC32codes.txt";
    }

    CliRun Run(const std::vector<std::string>& arguments) { return RunCli(scratch_, arguments); }

    TempFolder folder_;
    TempFolder dialogTemp_;
    TempFolder scratch_;
};

TEST_F(CliEndToEnd, DialogProtocolVerifiesThenShowsEachChange) {
    const std::string protocol = DialogProtocol();
    CliRun clean = Run({"--verify", protocol});
    EXPECT_EQ(clean.exitCode, 0U) << clean.Err();
    EXPECT_EQ(clean.Out(),
              "OK          abc.txt\n"
              "OK          crc_check_value_of_the_nine_digits.txt\n"
              "EMPTY       empty.log\n"
              "2 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS" CRC_MATCH_NOTE
              "\n");
    EXPECT_EQ(clean.err, "");

    folder_.Write("abc.txt", "abd");
    ASSERT_TRUE(DeleteFileA((folder_ / "crc_check_value_of_the_nine_digits.txt").c_str()));
    folder_.Write("added.txt", "123456789");
    CliRun changed = Run({"--verify", protocol, "--jobs", "3"});
    EXPECT_EQ(changed.exitCode, 1U) << changed.Err();
    EXPECT_EQ(changed.Out(),
              "CHANGED     abc.txt  352441C2 -> AB40D461\n"
              "MISSING     crc_check_value_of_the_nine_digits\n"
              "NEW         added.txt  CBF43926\n"
              "EMPTY       empty.log\n"
              "0 OK, 1 CHANGED, 1 MISSING, 1 NEW, 1 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS\n");
}

TEST_F(CliEndToEnd, ProtocolIsTheDialogsByteForByteBesidesTheHeader) {
    folder_.Write("abcdefghijklmnopqrstuvwxyz01234567", "x");  // exactly 34 characters
    folder_.Write("a name that runs on well past the field.txt", "long");
    const std::string dialog = ReadWholeFile(DialogProtocol());
    const std::string written = scratch_ / "cli-protocol.txt";
    const CliRun toFile = Run({"--protocol", folder_.Path(), "-o", written});
    EXPECT_EQ(toFile.exitCode, 0U) << toFile.Err();
    EXPECT_EQ(toFile.out, "");
    const std::string cli = ReadWholeFile(written);
    EXPECT_EQ(cli.substr(0, 42), "CRC32-codes of following files calculated ");
    EXPECT_EQ(cli.find("\r\n"), 62U);
    EXPECT_EQ(AfterHeader(cli), AfterHeader(dialog));

    // To standard output the bytes are the same: no CR added before LF.
    const CliRun toOutput = Run({"--protocol", folder_.Path(), "--jobs", "1"});
    EXPECT_EQ(toOutput.exitCode, 0U);
    EXPECT_EQ(AfterHeader(toOutput.out), AfterHeader(dialog));
}

TEST_F(CliEndToEnd, ChecksumsOfFilesAndTheirExitCodes) {
    const CliRun good = Run({folder_ / "abc.txt", folder_ / "empty.log"});
    EXPECT_EQ(good.exitCode, 0U);
    EXPECT_EQ(good.Out(),
              "352441C2  " + folder_ / "abc.txt" + "\n00000000  " + folder_ / "empty.log" + "\n");
    const CliRun missing = Run({folder_ / "abc.txt", folder_ / "missing.txt", folder_ / "archive"});
    EXPECT_EQ(missing.exitCode, 2U);
    EXPECT_EQ(missing.Out(), "352441C2  " + folder_ / "abc.txt" + "\n");
    EXPECT_NE(missing.Err().find("sumbrook-cli: " + folder_ / "missing.txt" + ": cannot open"),
              std::string::npos)
        << missing.Err();
    EXPECT_NE(missing.Err().find(folder_ / "archive" + ": not a regular file: it is a folder"),
              std::string::npos)
        << missing.Err();
    EXPECT_EQ(Run({}).exitCode, 2U);
    EXPECT_EQ(Run({"--jobs", "0", folder_ / "abc.txt"}).exitCode, 2U);
    const std::string version = Run({"--version"}).Out();
    const std::string expected = "sumbrook-cli " SUMBROOK_VERSION;
    EXPECT_TRUE(version == expected + "\n" || version.rfind(expected + " (commit ", 0) == 0)
        << version;
    const CliRun help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0U);
    EXPECT_NE(help.Out().find("neither hidden nor system"), std::string::npos);
}

TEST_F(CliEndToEnd, FileHeldOpenForWritingIsUnreadableNeverGuessed) {
    const std::string protocol = DialogProtocol();
    HANDLE writer =
        CreateFileA((folder_ / "abc.txt").c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    const CliRun verify = Run({"--verify", protocol});
    const CliRun written = Run({"--protocol", folder_.Path()});
    CloseHandle(writer);

    EXPECT_EQ(verify.exitCode, 2U);
    EXPECT_NE(verify.Out().find("UNREADABLE  abc.txt  cannot open: "), std::string::npos)
        << verify.Out();
    EXPECT_NE(verify.Out().find("1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 1 UNREADABLE"),
              std::string::npos);
    EXPECT_EQ(written.exitCode, 2U);
    EXPECT_NE(written.out.find("\r\n1 files calculated by program Sumbrook.exe\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(written.Err().find(folder_ / "abc.txt" + ": cannot open: "), std::string::npos);
    EXPECT_NE(written.Err().find("1 file could not be read; it is not in the protocol"),
              std::string::npos);
}

TEST_F(CliEndToEnd, CaseOfANameDoesNotMatterHereCutNamesMayBeAmbiguous) {
    folder_.Write("crc_check_value_of_the_nine_digits.bak", "other");
    const std::string protocol = DialogProtocol();
    // By way of another name: a rename in case only may keep the stored case.
    ASSERT_TRUE(MoveFileA((folder_ / "abc.txt").c_str(), (folder_ / "renamed").c_str()));
    ASSERT_TRUE(MoveFileA((folder_ / "renamed").c_str(), (folder_ / "ABC.TXT").c_str()));
    const CliRun verify = Run({"--verify", protocol});
    EXPECT_EQ(verify.exitCode, 1U);
    // Both long names give one name field: each of the two lines fits both.
    const std::string ambiguous =
        "AMBIGUOUS   crc_check_value_of_the_nine_digits  fits 2 files: "
        "crc_check_value_of_the_nine_digits.bak, crc_check_value_of_the_nine_digits.txt; "
        "2 lines of the protocol have this name field\n";
    EXPECT_EQ(verify.Out(), "OK          ABC.TXT\n" + ambiguous + ambiguous +
                                "EMPTY       empty.log\n"
                                "1 OK, 0 CHANGED, 0 MISSING, 0 NEW, 1 EMPTY, 0 UNREADABLE, 2 "
                                "AMBIGUOUS" CRC_MATCH_NOTE "\n");
}

TEST_F(CliEndToEnd, ProtocolInsideItsFolderNeitherListsNorChecksItself) {
    const std::string written = folder_ / "LIST.TXT";
    EXPECT_EQ(Run({"--protocol", folder_.Path(), "-o", written}).exitCode, 0U);
    EXPECT_EQ(Run({"--protocol", folder_.Path(), "-o", written}).exitCode, 0U);
    EXPECT_NE(ReadWholeFile(written).find("\r\n2 files calculated"), std::string::npos);
    const CliRun verify = Run({"--verify", folder_ / "list.txt"});
    EXPECT_EQ(verify.exitCode, 0U) << verify.Out();
    EXPECT_EQ(verify.Out().find("LIST.TXT"), std::string::npos) << verify.Out();
}

TEST_F(CliEndToEnd, MalformedProtocolsGiveOneErrorAndNothingElse) {
    const std::string good = ReadWholeFile(DialogProtocol());
    const std::string truncated = scratch_.Write("truncated.txt", good.substr(0, good.size() / 2));
    const std::string junk = scratch_.Write("junk.txt", std::string("\x7F"
                                                                    "ELF\0\1\2",
                                                                    7));
    const std::string unix = scratch_.Write("unix.txt", WithoutCarriageReturns(good));
    for (const std::string& bad : {truncated, junk, unix}) {
        const CliRun run = Run({"--verify", bad, folder_.Path()});
        EXPECT_EQ(run.exitCode, 2U) << bad;
        EXPECT_EQ(run.out, "") << bad;
        EXPECT_EQ(run.Err().rfind("sumbrook-cli: " + bad + ": line ", 0), 0U) << run.Err();
    }
    const CliRun missing = Run({"--verify", scratch_ / "none.txt"});
    EXPECT_EQ(missing.exitCode, 2U);
    EXPECT_EQ(missing.out, "");
}

TEST_F(CliEndToEnd, SfvTreeEntersNoHiddenOrSystemFolderAndNamesMatchInAnyCase) {
    folder_.MakeFolder("archive\\deeper");
    folder_.Write("archive\\deeper\\kept.txt", "123456789");
    for (const auto& [name, attribute] :
         {std::pair{"hid", FILE_ATTRIBUTE_HIDDEN}, std::pair{"sys", FILE_ATTRIBUTE_SYSTEM}}) {
        folder_.MakeFolder(name);
        folder_.Write(std::string(name) + "\\inside.txt", "x");
        ASSERT_TRUE(SetFileAttributesA((folder_ / name).c_str(), static_cast<DWORD>(attribute)));
    }
    const std::string list = folder_ / "list.sfv";
    const CliRun written = Run({"--sfv", folder_.Path(), "-r", "-o", list});
    EXPECT_EQ(written.exitCode, 0U) << written.Err();
    const std::string text = ReadWholeFile(list);
    const std::size_t entries = text.find("\r\nabc.txt ");
    ASSERT_NE(entries, std::string::npos) << text;
    EXPECT_EQ(text.substr(entries + 2),
              "abc.txt 352441C2\r\n"
              "archive/deeper/kept.txt CBF43926\r\n"
              "crc_check_value_of_the_nine_digits.txt CBF43926\r\n"
              "empty.log 00000000\r\n");

    const CliRun clean = Run({"--verify", list, "-r"});
    EXPECT_EQ(clean.exitCode, 0U) << clean.Out() << clean.Err();
    EXPECT_NE(
        clean.Out().find(
            "\n4 OK, 0 CHANGED, 0 MISSING, 0 NEW, 0 UNREADABLE, 0 DUPLICATE" CRC_MATCH_NOTE "\n"),
        std::string::npos)
        << clean.Out();

    // Another case or separator names the same file here.
    const std::string cased = scratch_.Write("cased.sfv",
                                             "ABC.TXT 352441c2\r\n"
                                             "Archive\\DEEPER\\Kept.txt CBF43926\r\n"
                                             "abc.txt 352441C2\r\n");
    const CliRun duplicate = Run({"--verify", cased, folder_.Path(), "--jobs", "1"});
    EXPECT_EQ(duplicate.exitCode, 1U) << duplicate.Err();
    EXPECT_EQ(duplicate.Out(),
              "DUPLICATE   ABC.TXT  on lines 1 and 3\n"
              "OK          Archive/DEEPER/Kept.txt\n"
              "NEW         crc_check_value_of_the_nine_digits.txt  CBF43926\n"
              "NEW         empty.log  00000000\n"
              "NEW         list.sfv  " +
                  Run({list}).Out().substr(0, 8) +
                  "\n"
                  "1 OK, 0 CHANGED, 0 MISSING, 3 NEW, 0 UNREADABLE, 1 DUPLICATE" CRC_MATCH_NOTE
                  "\n");
}

}  // namespace
}  // namespace sumbrook
