#include "app/CalculateAllFiles.h"

#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "MessageBoxCatcher.h"
#include "ShellAssociation.h"
#include "TempFolder.h"
#include "WideNamedFile.h"

namespace sumbrook {
namespace {

using test::CaughtMessageBox;
using test::FileExists;
using test::MessageBoxCatcher;
using test::ReadWholeFile;
using test::ShellRecord;
using test::TempFolder;
using test::TxtOpenAssociation;
using test::WaitForShellRecord;

constexpr char kProtocolName[] = "#CRC32codes.txt";
constexpr unsigned kRecorderWaitMs = 30000;

struct Outcome {
    bool result = false;
    std::vector<CaughtMessageBox> boxes;
};

Outcome RunCommand(const std::string& directoryText, const std::string& tempDirectory) {
    MessageBoxCatcher catcher;
    Outcome outcome;
    outcome.result = CalculateAllFiles(nullptr, directoryText, tempDirectory);
    outcome.boxes = catcher.Caught();
    return outcome;
}

void ExpectOneBox(const Outcome& outcome, const std::string& title, const std::string& text,
                  unsigned icon) {
    ASSERT_EQ(outcome.boxes.size(), 1U);
    EXPECT_EQ(outcome.boxes[0].title, title);
    EXPECT_EQ(outcome.boxes[0].text, text);
    EXPECT_EQ(outcome.boxes[0].icon, icon);
}

std::string ShellFailedText(const std::string& protocolPath) {
    return "I am not able  to open  Notepad text Editor.  \r\n"
           "Calculation protocol  is stored  in file:  \r\n\r\n" +
           protocolPath + "  ";
}

// The plain, visible files of `directory`, in the platform's order.
std::vector<std::string> PlatformOrder(const std::string& directory) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (data.dwFileAttributes &
            (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY)) {
            continue;
        }
        names.emplace_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return names;
}

using Listing = std::vector<std::pair<std::string, std::string>>;  // name, CRC text

// The listed files in platform order: those of `crcs` (name -> CRC text),
// leaving out the ones whose CRC text is "00000000".
Listing InPlatformOrder(const std::string& directory,
                        const std::map<std::string, std::string>& crcs) {
    Listing listing;
    for (const std::string& name : PlatformOrder(directory)) {
        const auto found = crcs.find(name);
        EXPECT_NE(found, crcs.end()) << "unexpected file " << name;
        if (found != crcs.end() && found->second != "00000000") listing.emplace_back(*found);
    }
    return listing;
}

// The protocol expected after the given header line, built here by hand.
std::string ExpectedProtocol(const std::string& header, const std::string& directoryText,
                             const Listing& listing) {
    const std::string dashes(std::max<std::size_t>(62, 10 + directoryText.size()), '-');
    std::string text = header + "\r\n" + "Directory " + directoryText + "\r\n" +
                       "File name                         CRC32-code\r\n" + dashes + "\r\n";
    for (const auto& [name, crc] : listing) {
        std::string field = name.substr(0, 34);
        field.resize(34, ' ');
        text += field + crc + "\r\n";
    }
    text += dashes + "\r\n" + std::to_string(listing.size()) +
            " files calculated by program Sumbrook.exe\r\n\r\n";
    return text;
}

ULONGLONG Seconds(const SYSTEMTIME& time) {
    FILETIME file;
    SystemTimeToFileTime(&time, &file);
    return ((static_cast<ULONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime) / 10000000;
}

// Checks the header's form and that its date and time fall between `before`
// and `after`; returns the header line.
std::string CheckedHeader(const std::string& protocol, const SYSTEMTIME& before,
                          const SYSTEMTIME& after) {
    std::string header = protocol.substr(0, protocol.find("\r\n"));
    EXPECT_EQ(header.size(), 62U) << header;
    if (header.size() != 62) return header;
    EXPECT_EQ(header.substr(0, 42), "CRC32-codes of following files calculated ");
    const std::string stamp = header.substr(42);  // "06.12.2026, 01:19:04"
    for (std::size_t i : {0U, 1U, 3U, 4U, 6U, 7U, 8U, 9U, 12U, 13U, 15U, 16U, 18U, 19U}) {
        EXPECT_TRUE(stamp[i] >= '0' && stamp[i] <= '9') << header;
    }
    EXPECT_EQ(stamp.substr(2, 1) + stamp.substr(5, 1) + stamp.substr(10, 2) + stamp.substr(14, 1) +
                  stamp.substr(17, 1),
              ".., ::");
    SYSTEMTIME written = {};
    written.wDay = static_cast<WORD>(std::stoi(stamp.substr(0, 2)));
    written.wMonth = static_cast<WORD>(std::stoi(stamp.substr(3, 2)));
    written.wYear = static_cast<WORD>(std::stoi(stamp.substr(6, 4)));
    written.wHour = static_cast<WORD>(std::stoi(stamp.substr(12, 2)));
    written.wMinute = static_cast<WORD>(std::stoi(stamp.substr(15, 2)));
    written.wSecond = static_cast<WORD>(std::stoi(stamp.substr(18, 2)));
    EXPECT_LE(Seconds(before), Seconds(written)) << header;
    EXPECT_LE(Seconds(written), Seconds(after)) << header;
    return header;
}

std::string Upper(std::string text) {
    CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

void SetAttributes(const std::string& path, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes)) << path;
}

class CalculateAllFilesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { CoInitialize(nullptr); }
    static void TearDownTestSuite() { CoUninitialize(); }

    // The temporary directory the command writes its protocol into.
    std::string TempText() const { return temp_.Path() + "\\"; }
    std::string ProtocolPath() const { return temp_ / kProtocolName; }
    std::string RecordPath() const { return records_ / "record.txt"; }

    // Runs with the shell's "open" action pointed at nothing: every run that
    // gets to the shell ends at its message, which is checked here.
    Outcome RunWithoutShell(const std::string& directoryText) {
        const TxtOpenAssociation none = TxtOpenAssociation::None();
        return RunCommand(directoryText, TempText());
    }
    void ExpectShellFailed(const Outcome& outcome) {
        EXPECT_FALSE(outcome.result);
        ExpectOneBox(outcome, " Calculation results", ShellFailedText(ProtocolPath()),
                     MB_ICONINFORMATION);
    }

    TempFolder temp_;
    TempFolder records_;
};

TEST_F(CalculateAllFilesTest, WritesTheProtocolAndHandsItToTheShell) {
    TempFolder folder;
    const std::string exactly34 = "abcdefghijklmnopqrstuvwxyz01234567";
    std::map<std::string, std::string> crcs = {
        {"abc.txt", "352441C2"},
        {"empty.log", "00000000"},
        {"crc_check_value_of_the_nine_digits.txt", "CBF43926"},
        {exactly34, "8CDC1683"},       // "x"
        {"readonly.txt", "E8B7BE43"},  // "a"
        {"busy.txt", "00000000"},      // held open for writing
    };
    folder.Write("abc.txt", "abc");
    folder.Write("empty.log", "");
    folder.Write("crc_check_value_of_the_nine_digits.txt", "123456789");
    folder.Write(exactly34, "x");
    SetAttributes(folder.Write("readonly.txt", "a"), FILE_ATTRIBUTE_READONLY);
    const std::string busy = folder.Write("busy.txt", "busy");
    SetAttributes(folder.Write("hidden.txt", "h"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(folder.Write("system.txt", "s"), FILE_ATTRIBUTE_SYSTEM);
    folder.MakeFolder("archive");
    test::WriteWholeFile(folder / "archive\\inner.txt", "inner");
    HANDLE writer = CreateFileA(busy.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);

    SYSTEMTIME before;
    SYSTEMTIME after;
    Outcome outcome;
    {
        const TxtOpenAssociation recorder = TxtOpenAssociation::Recorder(RecordPath());
        GetLocalTime(&before);
        outcome = RunCommand(folder.Path(), TempText());
        GetLocalTime(&after);
        const ShellRecord record = WaitForShellRecord(RecordPath(), kRecorderWaitMs);
        EXPECT_TRUE(record.present);
        EXPECT_EQ(record.file, ProtocolPath());
        EXPECT_EQ(Upper(record.directory), Upper(temp_.Path()));
        EXPECT_TRUE(record.readable);
        EXPECT_EQ(record.content, ReadWholeFile(ProtocolPath()));
    }
    CloseHandle(writer);

    EXPECT_FALSE(outcome.result);
    EXPECT_TRUE(outcome.boxes.empty());
    const std::string protocol = ReadWholeFile(ProtocolPath());
    const Listing listing = InPlatformOrder(folder.Path(), crcs);
    EXPECT_EQ(listing.size(), 4U);
    EXPECT_EQ(protocol,
              ExpectedProtocol(CheckedHeader(protocol, before, after), folder.Path(), listing));
    EXPECT_NE(protocol.find("\r\n" + exactly34 + "8CDC1683\r\n"), std::string::npos);
    EXPECT_NE(protocol.find("\r\ncrc_check_value_of_the_nine_digitsCBF43926\r\n"),
              std::string::npos);
}

TEST_F(CalculateAllFilesTest, ShellOpensThisRunsProtocolNotOneInTheCurrentDirectory) {
    TempFolder folder;
    folder.Write("abc.txt", "abc");
    TempFolder current;
    current.Write(kProtocolName, "stale protocol in the current directory");
    char previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
    ShellRecord record;
    {
        const TxtOpenAssociation recorder = TxtOpenAssociation::Recorder(RecordPath());
        EXPECT_TRUE(RunCommand(folder.Path(), TempText()).boxes.empty());
        SetCurrentDirectoryA(previous);
        record = WaitForShellRecord(RecordPath(), kRecorderWaitMs);
    }
    EXPECT_TRUE(record.present);
    EXPECT_EQ(Upper(record.directory), Upper(temp_.Path()));
    EXPECT_EQ(record.content, ReadWholeFile(ProtocolPath()));
    EXPECT_EQ(ReadWholeFile(current / kProtocolName), "stale protocol in the current directory");
}

TEST_F(CalculateAllFilesTest, ShellWithoutAnOpenActionGetsTheMessageWithTheProtocolPath) {
    TempFolder folder;
    folder.Write("one.txt", "abc");
    SYSTEMTIME before;
    SYSTEMTIME after;
    GetLocalTime(&before);
    const Outcome outcome = RunWithoutShell(folder.Path());
    GetLocalTime(&after);
    ExpectShellFailed(outcome);
    // The protocol is complete; one listed file counts 1.
    const std::string protocol = ReadWholeFile(ProtocolPath());
    EXPECT_EQ(protocol, ExpectedProtocol(CheckedHeader(protocol, before, after), folder.Path(),
                                         {{"one.txt", "352441C2"}}));
    EXPECT_NE(protocol.find("\r\n1 files calculated by program Sumbrook.exe\r\n\r\n"),
              std::string::npos);
}

TEST_F(CalculateAllFilesTest, UnusableDirectoryTextIsAWrongDirectoryAndWritesNothing) {
    TempFolder folder;
    SetAttributes(folder.MakeFolder("hidden"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(folder.MakeFolder("system"), FILE_ATTRIBUTE_SYSTEM);
    test::WriteWholeFile(folder / "hidden\\a.txt", "a");
    test::WriteWholeFile(folder / "system\\a.txt", "a");
    for (const std::string& text : {std::string(), folder / "missing", folder / "hidden",
                                    folder / "system", folder / "zz*", std::string("Q:\\")}) {
        SCOPED_TRACE("directory text [" + text + "]");
        const Outcome outcome = RunWithoutShell(text);
        EXPECT_FALSE(outcome.result);
        ExpectOneBox(outcome, " Calculation result", "Error:  Wrong directory selected !!  ",
                     MB_ICONHAND);
    }
    EXPECT_FALSE(FileExists(ProtocolPath()));
}

TEST_F(CalculateAllFilesTest, NoVisiblePlainFileEndsAtTheNoFileMessageAndLeavesTheProtocol) {
    test::WriteWholeFile(ProtocolPath(), "from an earlier run");
    TempFolder folder;
    const std::string plainFile = folder.Write("plain.txt", "abc");
    const std::string empty = folder.MakeFolder("empty");
    const std::string onlyHidden = folder.MakeFolder("only-hidden");
    SetAttributes(folder.Write("only-hidden\\h.txt", "h"), FILE_ATTRIBUTE_HIDDEN);
    SetAttributes(folder.Write("only-hidden\\s.txt", "s"), FILE_ATTRIBUTE_SYSTEM);
    folder.MakeFolder("only-hidden\\sub");
    test::WriteWholeFile(folder / "only-hidden\\sub\\deeper.txt", "d");
    folder.MakeFolder("data");
    // A plain file passes the check, a wildcard matching a folder too; nothing
    // is found beneath either.
    for (const std::string& text : {plainFile, empty, onlyHidden, folder / "da*"}) {
        SCOPED_TRACE("directory text [" + text + "]");
        const Outcome outcome = RunWithoutShell(text);
        EXPECT_TRUE(outcome.result);
        ExpectOneBox(outcome, " Calculation result", "None file in directory:  " + text + "  ",
                     MB_ICONEXCLAMATION);
    }
    EXPECT_EQ(ReadWholeFile(ProtocolPath()), "from an earlier run");
}

TEST_F(CalculateAllFilesTest, TrailingBackslashIsKeptInTheDirectoryLineAndDoubledInPaths) {
    TempFolder folder;
    folder.Write("abc.txt", "abc");
    folder.Write("digits.txt", "123456789");
    folder.MakeFolder("sub");
    const std::string text = folder.Path() + "\\";
    SYSTEMTIME before;
    SYSTEMTIME after;
    GetLocalTime(&before);
    const Outcome outcome = RunWithoutShell(text);
    GetLocalTime(&after);
    ExpectShellFailed(outcome);
    const std::string protocol = ReadWholeFile(ProtocolPath());
    EXPECT_EQ(protocol,
              ExpectedProtocol(CheckedHeader(protocol, before, after), text,
                               InPlatformOrder(folder.Path(), {{"abc.txt", "352441C2"},
                                                               {"digits.txt", "CBF43926"}})));
}

TEST_F(CalculateAllFilesTest, OnlyEmptyOrUnreadableFilesGiveCountZeroAndAdjacentSeparators) {
    TempFolder folder;
    folder.Write("empty.txt", "");
    const std::string locked = folder.Write("locked.txt", "abc");
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    const Outcome outcome = RunWithoutShell(folder.Path());
    CloseHandle(holder);
    ExpectShellFailed(outcome);
    const std::string protocol = ReadWholeFile(ProtocolPath());
    const std::string dashes(62, '-');
    EXPECT_NE(protocol.find("CRC32-code\r\n" + dashes + "\r\n" + dashes +
                            "\r\n0 files calculated by program Sumbrook.exe\r\n\r\n"),
              std::string::npos)
        << protocol;
}

TEST_F(CalculateAllFilesTest, DirectoryLongerThan52CharactersLengthensBothSeparators) {
    TempFolder folder;
    ASSERT_LT(folder.Path().size() + 2, 52U);
    for (const std::size_t length : {51U, 52U, 53U, 90U}) {
        const std::string name(length - folder.Path().size() - 1, 'd');
        const std::string directory = folder.MakeFolder(name);
        ASSERT_EQ(directory.size(), length);
        test::WriteWholeFile(directory + "\\a.txt", "abc");
        const Outcome outcome = RunWithoutShell(directory);
        ExpectShellFailed(outcome);
        const std::string protocol = ReadWholeFile(ProtocolPath());
        const std::string dashes(std::max<std::size_t>(62, 10 + length), '-');
        EXPECT_EQ(protocol.substr(protocol.find("CRC32-code\r\n") + 12, dashes.size() + 2),
                  dashes + "\r\n");
        EXPECT_NE(protocol.find("352441C2\r\n" + dashes + "\r\n1 files"), std::string::npos);
    }
}

TEST_F(CalculateAllFilesTest, ProtocolInTheCheckedDirectoryIsListedOnlyWhenMetFirst) {
    // The command reads the first file before it opens the protocol; a
    // protocol met later is held open without sharing and left out.
    test::WriteWholeFile(ProtocolPath(), "abc");
    temp_.Write("digits.txt", "123456789");
    const std::vector<std::string> order = PlatformOrder(temp_.Path());
    ASSERT_EQ(order.size(), 2U);
    const Outcome outcome = RunWithoutShell(temp_.Path());
    ExpectShellFailed(outcome);
    const std::string protocol = ReadWholeFile(ProtocolPath());
    Listing expected;
    if (order[0] == kProtocolName) {
        expected = {{kProtocolName, "352441C2"}, {"digits.txt", "CBF43926"}};
    } else {
        expected = {{"digits.txt", "CBF43926"}};
    }
    const std::string header = protocol.substr(0, 62);
    EXPECT_EQ(protocol, ExpectedProtocol(header, temp_.Path(), expected));
}

TEST_F(CalculateAllFilesTest, ProtocolFromALongerEarlierRunIsCutToTheNewLength) {
    test::WriteWholeFile(ProtocolPath(), std::string(100000, 'x'));
    TempFolder folder;
    folder.Write("abc.txt", "abc");
    ExpectShellFailed(RunWithoutShell(folder.Path()));
    const std::string protocol = ReadWholeFile(ProtocolPath());
    EXPECT_EQ(protocol,
              ExpectedProtocol(protocol.substr(0, 62), folder.Path(), {{"abc.txt", "352441C2"}}));
}

// A protocol that cannot be written is reported with its path; the shell is
// not asked to open whatever file is there.
class UnwritableProtocolTest : public CalculateAllFilesTest {
  protected:
    void SetUp() override { folder_.Write("abc.txt", "abc"); }

    void ExpectReportedAndNotOpened(const std::string& tempDirectory) {
        Outcome outcome;
        {
            const TxtOpenAssociation recorder = TxtOpenAssociation::Recorder(RecordPath());
            outcome = RunCommand(folder_.Path(), tempDirectory);
        }
        EXPECT_FALSE(outcome.result);
        ExpectOneBox(outcome, " Calculation result",
                     "Error:  Protocol file cannot be written !!  \r\n\r\n" + tempDirectory +
                         kProtocolName + "  ",
                     MB_ICONHAND);
        EXPECT_FALSE(FileExists(RecordPath()));
    }

    TempFolder folder_;
};

const char kEarlierProtocol[] = "protocol of an earlier run";

TEST_F(UnwritableProtocolTest, HeldOpenByAnotherProgram) {
    test::WriteWholeFile(ProtocolPath(), kEarlierProtocol);
    HANDLE holder = CreateFileA(ProtocolPath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ExpectReportedAndNotOpened(TempText());
    CloseHandle(holder);
    EXPECT_EQ(ReadWholeFile(ProtocolPath()), kEarlierProtocol);
}

TEST_F(UnwritableProtocolTest, ReadOnly) {
    test::WriteWholeFile(ProtocolPath(), kEarlierProtocol);
    SetAttributes(ProtocolPath(), FILE_ATTRIBUTE_READONLY);
    HANDLE probe =
        CreateFileA(ProtocolPath().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        // Wine run by the superuser writes read-only files all the same.
        CloseHandle(probe);
        GTEST_SKIP() << "this platform lets the user write read-only files";
    }
    ExpectReportedAndNotOpened(TempText());
    SetAttributes(ProtocolPath(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadWholeFile(ProtocolPath()), kEarlierProtocol);
}

TEST_F(UnwritableProtocolTest, NameTakenByAFolder) {
    temp_.MakeFolder(kProtocolName);
    ExpectReportedAndNotOpened(TempText());
}

TEST_F(UnwritableProtocolTest, TemporaryDirectoryMissing) {
    ExpectReportedAndNotOpened(temp_ / "missing\\");
}

TEST_F(CalculateAllFilesTest, EmptyTemporaryDirectoryPutsTheProtocolInTheCurrentDirectory) {
    TempFolder folder;
    folder.Write("abc.txt", "abc");
    TempFolder current;
    char previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(current.Path().c_str()));
    Outcome outcome;
    ShellRecord record;
    {
        const TxtOpenAssociation recorder = TxtOpenAssociation::Recorder(RecordPath());
        outcome = RunCommand(folder.Path(), "");
        SetCurrentDirectoryA(previous);
        record = WaitForShellRecord(RecordPath(), kRecorderWaitMs);
    }
    EXPECT_FALSE(outcome.result);
    EXPECT_TRUE(outcome.boxes.empty());
    ASSERT_TRUE(FileExists(current / kProtocolName));
    EXPECT_TRUE(record.present);
    // Wine hands over the name resolved against the current directory.
    EXPECT_TRUE(Upper(record.file) == Upper(kProtocolName) ||
                Upper(record.file) == Upper(current / kProtocolName))
        << record.file;
    EXPECT_TRUE(record.readable);
    EXPECT_EQ(record.content, ReadWholeFile(current / kProtocolName));
}

TEST_F(CalculateAllFilesTest, UnrepresentableNameIsListedAsReportedWithItsRealChecksum) {
    TempFolder folder;
    const test::WideNamedFile notes(folder.Path(), L"\x4E2D\x6587 notes.txt", "123456789");
    // Greek capital omega: the ANSI name of this one is a look-alike letter.
    const test::WideNamedFile omega(folder.Path(), L"\x03A9.txt", "abc");
    const std::vector<std::string> order = PlatformOrder(folder.Path());
    ASSERT_EQ(order.size(), 2U);
    std::map<std::string, std::string> crcs;
    for (const std::string& name : order) {
        crcs[name] = name.find("notes") != std::string::npos ? "CBF43926" : "352441C2";
    }
    ExpectShellFailed(RunWithoutShell(folder.Path()));
    const std::string protocol = ReadWholeFile(ProtocolPath());
    EXPECT_EQ(protocol, ExpectedProtocol(protocol.substr(0, 62), folder.Path(),
                                         InPlatformOrder(folder.Path(), crcs)));
    EXPECT_NE(protocol.find("?? notes.txt"), std::string::npos);
}

TEST_F(CalculateAllFilesTest, SearchesDoNotOutliveTheCommand) {
    TempFolder folder;
    const std::string inner = folder.MakeFolder("inner");
    test::WriteWholeFile(inner + "\\a.txt", "a");
    const std::string onlyFolder = folder.MakeFolder("only-folder");
    folder.MakeFolder("only-folder\\sub");
    ExpectShellFailed(RunWithoutShell(inner));
    EXPECT_TRUE(RunWithoutShell(onlyFolder).result);
    EXPECT_TRUE(MoveFileA(inner.c_str(), (folder / "inner2").c_str()));
    EXPECT_TRUE(MoveFileA(onlyFolder.c_str(), (folder / "only-folder2").c_str()));
}

}  // namespace
}  // namespace sumbrook
