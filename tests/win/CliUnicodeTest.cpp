// sumbrook-cli.exe with names outside the ANSI code page and with paths
// longer than MAX_PATH, started with a UTF-16 command line as a console
// would start it, its output caught in files (UTF-8 bytes).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliProcess.h"
#include "TempFolder.h"
#include "platform/WideText.h"
#include "tests/common/TestContent.h"

namespace sumbrook {
namespace {

constexpr DWORD kRunLimitMs = 120000;

using test::CliRun;
using test::CrcText;
using test::RemoveTreeW;
using test::RunCli;

std::wstring Wide(const std::string& utf8) {
    return WideFromUtf8(utf8);
}

// Creates (or fails the test) and removes, by UTF-16 names in the long form.
void MakeFolderW(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Wide(path)).c_str(), nullptr)) << path;
}
void WriteFileW(const std::string& path, const std::string& content) {
    HANDLE file = CreateFileW((L"\\\\?\\" + Wide(path)).c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

// One name per script the ANSI code page cannot hold, a plain one, and a
// file at the end of a path of more than 300 characters.
class CliUnicode : public ::testing::Test {
  protected:
    void SetUp() override {
        root_ = scratch_ / "names";
        MakeFolderW(root_);
        for (const auto& [name, content] : kFiles) WriteFileW(root_ + "\\" + name, content);
        deep_ = root_;
        for (int level = 0; level < 5; ++level) {
            deep_ += "\\" + std::string(60, static_cast<char>('a' + level));
            MakeFolderW(deep_);
        }
        deepFile_ = deep_ + "\\deep.txt";
        WriteFileW(deepFile_, "deep");
        ASSERT_GT(deepFile_.size(), 300U);
    }
    void TearDown() override { RemoveTreeW(L"\\\\?\\" + Wide(root_)); }

    static inline const std::vector<std::pair<std::string, std::string>> kFiles = {
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.txt", "abc"},  // Привет
        {"\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC.txt", "123456789"},
        {"\xE4\xB8\xAD\xE6\x96\x87.txt", "zh"},  // 中文
        {"\xF0\x9F\x98\x80.txt", "emoji"},       // U+1F600
        {"plain.txt", "plain"},
    };

    test::TempFolder scratch_;
    std::string root_;
    std::string deep_;
    std::string deepFile_;
};

TEST_F(CliUnicode, ChecksumsAndNamesEveryFile) {
    std::vector<std::string> paths;
    std::string expected;
    for (const auto& [name, content] : kFiles) {
        paths.push_back(root_ + "\\" + name);
        expected += CrcText(content) + "  " + paths.back() + "\r\n";
    }
    paths.push_back(deepFile_);
    expected += CrcText("deep") + "  " + deepFile_ + "\r\n";
    const CliRun run = RunCli(scratch_, paths);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(run.exitCode, 0U);
}

TEST_F(CliUnicode, ProtocolNamesWhatItsCodePageCannotHold) {
    const CliRun run = RunCli(scratch_, {"--protocol", root_});
    EXPECT_EQ(run.exitCode, 2U);
    EXPECT_NE(run.out.find("plain.txt                         " + CrcText("plain")),
              std::string::npos)
        << run.out;
    for (const auto& [name, content] : kFiles) {
        if (name == "plain.txt") continue;
        EXPECT_NE(run.err.find(root_ + "\\" + name +
                               ": the name has characters that the "
                               "protocol's code page cannot hold; --sfv"),
                  std::string::npos)
            << run.err;
    }
}

// On a console every name shows as it is: the child writes to the console
// that this test process owns, and the test reads the characters back.
TEST_F(CliUnicode, ConsoleShowsEveryName) {
    FreeConsole();
    if (!AllocConsole()) GTEST_SKIP() << "no console to be had here";
    HANDLE screen =
        CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(screen, INVALID_HANDLE_VALUE);
    const std::string path = root_ + "\\" + kFiles[0].first;
    std::wstring commandLine = L"\"" + Wide(test::CliPath()) + L"\" \"" + Wide(path) + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    if (WaitForSingleObject(process.hProcess, kRunLimitMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 99);
        ADD_FAILURE() << "sumbrook-cli.exe did not end";
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    ASSERT_TRUE(GetConsoleScreenBufferInfo(screen, &info));
    const DWORD cells = static_cast<DWORD>(info.dwSize.X) * static_cast<DWORD>(info.dwSize.Y);
    std::wstring shown(cells, L' ');
    DWORD read = 0;
    ASSERT_TRUE(ReadConsoleOutputCharacterW(screen, shown.data(), cells, COORD{0, 0}, &read));
    CloseHandle(screen);
    FreeConsole();
    shown.resize(read);
    EXPECT_NE(shown.find(Wide(CrcText(kFiles[0].second) + "  ")), std::wstring::npos);
    EXPECT_NE(shown.find(Wide(kFiles[0].first)), std::wstring::npos) << Utf8FromWide(shown);
}

}  // namespace
}  // namespace sumbrook
