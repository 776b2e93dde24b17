// The built program as its own process: it shows its dialog, and ends with
// exit code 0 when the dialog is closed, whatever its command line holds.
// Keys are posted to the program's queue as the keyboard would deliver them.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ProcessWindow.h"
#include "ShellAssociation.h"
#include "TempFolder.h"

namespace {

constexpr DWORD kStartLimitMs = 60000;
constexpr DWORD kEndLimitMs = 30000;
constexpr char kTitle[] = " Calculation  of  CRC32 code  for  1 file";

// The program built next to the tests, as a Windows path.
std::string ProgramPath() {
    return sumbrook::test::BuiltProgramPath(SUMBROOK_EXE_PATH);
}

// A started program; terminated if a test leaves it running.
class Program {
  public:
    explicit Program(const std::string& arguments) {
        std::string commandLine = "\"" + ProgramPath() + "\"" + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        started_ = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &info_) != FALSE;
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, kEndLimitMs);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Started() const { return started_; }
    DWORD ProcessId() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }

    // The program's dialog: class #32770 with the exact title, owned by this
    // process (other programs in the same Wine session may show one too).
    HWND WaitForDialog() const {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < kStartLimitMs) {
            const HWND dialog = sumbrook::test::FindProcessWindow(ProcessId(), [](HWND window) {
                return sumbrook::test::ClassNameOf(window) == "#32770" &&
                       sumbrook::test::TitleOf(window) == kTitle;
            });
            if (dialog != nullptr && IsWindowVisible(dialog)) return dialog;
            if (WaitForSingleObject(info_.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }

    // The exit code, or STILL_ACTIVE when the program has not ended in time.
    DWORD WaitForExit() const {
        WaitForSingleObject(info_.hProcess, kEndLimitMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }

  private:
    PROCESS_INFORMATION info_ = {};
    bool started_ = false;
};

HWND FocusOf(HWND dialog) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int ChildCount(HWND dialog) {
    int count = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ++count;
    }
    return count;
}

TEST(SumbrookExe, ShowsItsDialogAndEndsWithZeroOnTheCloseCommand) {
    Program program("");
    ASSERT_TRUE(program.Started()) << ProgramPath();
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr) << "no dialog within " << kStartLimitMs / 1000 << " s";
    EXPECT_EQ(ChildCount(dialog), 13);
    EXPECT_EQ(FocusOf(dialog), GetDlgItem(dialog, 4)) << "focus on Info Help";
    EXPECT_EQ(SendMessageA(GetDlgItem(dialog, 10), BM_GETCHECK, 0, 0), BST_CHECKED);

    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(), 0U);
}

TEST(SumbrookExe, IgnoresItsCommandLine) {
    Program program(
        " C:\\some\\file.txt /? -h --help \"two words\" \"\" * ?? %TEMP% > out.txt"
        " \"unterminated /x");
    ASSERT_TRUE(program.Started());
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, 20)), 0);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, 21)), 0);
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(), 0U);
}

TEST(SumbrookExe, EscEndsItWithZero) {
    Program program("");
    ASSERT_TRUE(program.Started());
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    HWND focus = FocusOf(dialog);
    ASSERT_NE(focus, nullptr);
    PostMessageA(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001));
    EXPECT_EQ(program.WaitForExit(), 0U);
}

TEST(SumbrookExe, AltF4EndsItWithZeroWhateverTheTextBoxesHold) {
    Program program("");
    ASSERT_TRUE(program.Started());
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);
    SendMessageA(GetDlgItem(dialog, 20), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:\\data"));
    SendMessageA(GetDlgItem(dialog, 21), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("a b.txt"));
    PostMessageA(FocusOf(dialog), WM_SYSKEYDOWN, VK_F4, 0x20000001);
    EXPECT_EQ(program.WaitForExit(), 0U);
}

// A window of the program other than its dialog (a message box), by title.
HWND WaitForWindow(DWORD processId, const std::string& title) {
    const DWORD start = GetTickCount();
    for (;;) {
        const HWND found = sumbrook::test::FindProcessWindow(processId, [&](HWND window) {
            return sumbrook::test::TitleOf(window) == title && IsWindowVisible(window);
        });
        if (found != nullptr || GetTickCount() - start >= kEndLimitMs) return found;
        Sleep(50);
    }
}

// The text of a control in another process, asked of the control itself.
std::string ControlText(HWND control) {
    char text[4096] = {};
    SendMessageA(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

// Reads the open message box of the program and closes it with OK.
std::string ReadAndCloseMessage(DWORD processId, const std::string& title) {
    HWND box = WaitForWindow(processId, title);
    if (box == nullptr) return "<no message box titled '" + title + "'>";
    std::string text = ControlText(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return text;
}

// What a user does: type a folder and a file, press Calculation, read the
// checksum; switch to all files, press Calculation, get the protocol opened;
// close the program.
TEST(SumbrookExe, ComputesAFileChecksumAndWritesADirectoryProtocolFromTypedFields) {
    sumbrook::test::TempFolder temp;
    sumbrook::test::TempFolder data;
    data.Write("digits.txt", "123456789");
    data.Write("abc.txt", "abc");
    char previous[MAX_PATH + 1] = {};
    GetEnvironmentVariableA("TMP", previous, sizeof previous);
    SetEnvironmentVariableA("TMP", (temp.Path() + "\\").c_str());  // inherited by the program
    const std::string record = temp / "record.txt";
    const auto recorder = sumbrook::test::TxtOpenAssociation::Recorder(record);

    Program program("");
    SetEnvironmentVariableA("TMP", previous);
    ASSERT_TRUE(program.Started());
    HWND dialog = program.WaitForDialog();
    ASSERT_NE(dialog, nullptr);

    SendMessageA(GetDlgItem(dialog, 20), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(data.Path().c_str()));
    SendMessageA(GetDlgItem(dialog, 21), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("DIGITS.TXT"));
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_EQ(ReadAndCloseMessage(program.ProcessId(), " Calculation result"),
              "File  " + data.Path() + "\\DIGITS.TXT  \r\n\r\nCRC32 code = CBF43926  ");

    PostMessageA(GetDlgItem(dialog, 11), BM_CLICK, 0, 0);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    const sumbrook::test::ShellRecord opened =
        sumbrook::test::WaitForShellRecord(record, kEndLimitMs);
    EXPECT_TRUE(opened.present);
    const std::string protocol = sumbrook::test::ReadWholeFile(temp / "#CRC32codes.txt");
    EXPECT_EQ(opened.content, protocol);
    EXPECT_NE(protocol.find("\r\nDirectory " + data.Path() + "\r\n"), std::string::npos);
    EXPECT_NE(protocol.find("abc.txt                           352441C2\r\n"), std::string::npos);
    EXPECT_NE(protocol.find("digits.txt                        CBF43926\r\n"), std::string::npos);
    EXPECT_NE(protocol.find("\r\n2 files calculated by program Sumbrook.exe\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(ControlText(dialog), " Calculation  of  CRC32 codes  for  all files");

    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program.WaitForExit(), 0U);
}

}  // namespace
