#include "app/CalculateOneFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "MessageBoxCatcher.h"
#include "TempFolder.h"
#include "WideNamedFile.h"

namespace sumbrook {
namespace {

using test::CaughtMessageBox;
using test::MessageBoxCatcher;
using test::TempFolder;

const char kWrongFile[] = "Error:  Wrong file selected !!  ";

// Runs the command and returns the one message box it showed.
CaughtMessageBox RunCommand(const std::string& directoryText, const std::string& fileText) {
    MessageBoxCatcher catcher;
    CalculateOneFile(directoryText, fileText);
    EXPECT_EQ(catcher.Caught().size(), 1U);
    return catcher.Caught().empty() ? CaughtMessageBox{} : catcher.Caught().front();
}

void ExpectResult(const CaughtMessageBox& box, const std::string& fullPath,
                  const std::string& crcText) {
    EXPECT_EQ(box.title, " Calculation result");
    EXPECT_EQ(box.text, "File  " + fullPath + "  \r\n\r\nCRC32 code = " + crcText + "  ");
    EXPECT_EQ(box.icon, static_cast<unsigned>(MB_ICONINFORMATION));
}

void ExpectWrongFile(const CaughtMessageBox& box) {
    EXPECT_EQ(box.title, " Calculation result");
    EXPECT_EQ(box.text, kWrongFile);
    EXPECT_EQ(box.icon, static_cast<unsigned>(MB_ICONHAND));
}

TEST(CalculateOneFile, ExistingFileShowsItsPathAndChecksum) {
    TempFolder folder;
    folder.Write("digits.txt", "123456789");
    ExpectResult(RunCommand(folder.Path(), "digits.txt"), folder / "digits.txt", "CBF43926");
}

TEST(CalculateOneFile, NameTypedInAnotherCaseMatchesAndIsShownAsTyped) {
    TempFolder folder;
    folder.Write("Report.TXT", "abc");
    ExpectResult(RunCommand(folder.Path(), "report.txt"), folder / "report.txt", "352441C2");
}

TEST(CalculateOneFile, AccentedLettersMustMatchByteForByte) {
    TempFolder folder;
    folder.Write("\xC9t\xC9.txt", "abc");  // capital E acute, code page 1252
    ExpectWrongFile(RunCommand(folder.Path(), "\xE9t\xE9.txt"));
    ExpectResult(RunCommand(folder.Path(), "\xC9T\xC9.TXT"), folder / "\xC9T\xC9.TXT", "352441C2");
}

TEST(CalculateOneFile, ReadOnlyFilePasses) {
    TempFolder folder;
    ASSERT_TRUE(SetFileAttributesA(folder.Write("ro.txt", "abc").c_str(), FILE_ATTRIBUTE_READONLY));
    ExpectResult(RunCommand(folder.Path(), "ro.txt"), folder / "ro.txt", "352441C2");
}

TEST(CalculateOneFile, ZeroByteFilePassesWithZeros) {
    TempFolder folder;
    folder.Write("empty.bin", "");
    ExpectResult(RunCommand(folder.Path(), "empty.bin"), folder / "empty.bin", "00000000");
}

TEST(CalculateOneFile, FileHeldOpenForWritingPassesWithZeros) {
    TempFolder folder;
    const std::string path = folder.Write("busy.txt", "abc");
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    ExpectResult(RunCommand(folder.Path(), "busy.txt"), path, "00000000");
    CloseHandle(writer);
}

TEST(CalculateOneFile, TrailingBackslashGivesADoubledOneInPathAndMessage) {
    TempFolder folder;
    folder.Write("abc.txt", "abc");
    ExpectResult(RunCommand(folder.Path() + "\\", "abc.txt"), folder.Path() + "\\\\abc.txt",
                 "352441C2");
}

TEST(CalculateOneFile, EmptyDirectoryTextStartsAtTheRootOfTheCurrentDrive) {
    const std::string name = "sumbrook_one_file_" + std::to_string(GetCurrentProcessId()) + ".txt";
    const std::string path = "C:\\" + name;
    test::WriteWholeFile(path, "123456789");
    char previous[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA("C:\\windows");
    const CaughtMessageBox box = RunCommand("", name);
    SetCurrentDirectoryA(previous);
    DeleteFileA(path.c_str());
    ExpectResult(box, "\\" + name, "CBF43926");
}

TEST(CalculateOneFile, SelectionsThatNameNoVisiblePlainFileAreWrong) {
    TempFolder folder;
    folder.Write("abc.txt", "abc");
    folder.Write("A rather long file name.txt", "abc");
    SetFileAttributesA(folder.Write("hidden.txt", "h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(folder.Write("system.txt", "s").c_str(), FILE_ATTRIBUTE_SYSTEM);
    folder.MakeFolder("sub");
    const std::string& dir = folder.Path();
    for (const std::string& fileText :
         {std::string("missing.txt"), std::string("hidden.txt"), std::string("system.txt"),
          std::string("sub"), std::string("*.*"), std::string("*.txt"), std::string("abc.tx?"),
          std::string("abc.txt "), std::string(" abc.txt"), std::string("sub\\..\\abc.txt"),
          std::string("")}) {
        SCOPED_TRACE("file text [" + fileText + "]");
        ExpectWrongFile(RunCommand(dir, fileText));
    }
    ExpectWrongFile(RunCommand(dir + "\\missing", "abc.txt"));
    ExpectWrongFile(RunCommand("", "abc.txt"));
    // The short alias: the search reports the long name.
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder / "A rather*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    ASSERT_NE(data.cAlternateFileName[0], '\0');
    ExpectWrongFile(RunCommand(dir, data.cAlternateFileName));
}

TEST(CalculateOneFile, FullPathOfMoreThan256CharactersIsWrong) {
    TempFolder folder;
    const std::string prefix = folder.Path() + "\\";
    const std::string name(257 - prefix.size(), 'n');
    folder.Write(name, "x");
    ExpectWrongFile(RunCommand(folder.Path(), name));
}

TEST(CalculateOneFile, EmptyFileTextWithNoPlainFileIsWrong) {
    TempFolder folder;
    folder.MakeFolder("sub");
    SetFileAttributesA(folder.Write("hidden.txt", "h").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ExpectWrongFile(RunCommand(folder.Path(), ""));
    ExpectWrongFile(RunCommand(folder / "missing", ""));
    ExpectWrongFile(RunCommand("", ""));
}

TEST(CalculateOneFile, UnrepresentableNameAsBrowseHandsItOverIsReadThroughItsShortName) {
    TempFolder folder;
    const test::WideNamedFile file(folder.Path(), L"\x4E2D\x6587 notes.txt", "123456789");
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder / "*notes.txt").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    FindClose(find);
    const std::string reported = data.cFileName;  // "?? notes.txt"
    ASSERT_NE(reported.find('?'), std::string::npos);
    ExpectResult(RunCommand(folder.Path(), reported), folder / reported, "CBF43926");
}

TEST(CalculateOneFile, SearchDoesNotOutliveTheCommand) {
    TempFolder folder;
    const std::string inner = folder.MakeFolder("inner");
    test::WriteWholeFile(inner + "\\a.txt", "a");
    RunCommand(inner, "a.txt");
    RunCommand(inner, "A.TXT ");
    EXPECT_TRUE(MoveFileA(inner.c_str(), (folder / "renamed").c_str()));
}

}  // namespace
}  // namespace sumbrook
