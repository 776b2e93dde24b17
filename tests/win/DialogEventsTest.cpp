// The whole program as a user drives it from the main dialog: the dialog is
// built in this process as the program builds it, its fields are filled, its
// buttons clicked, and what the user would see (message boxes, the open-file
// dialog, the protocol, the focus) is read back.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "MessageBoxCatcher.h"
#include "OpenFileDialogDriver.h"
#include "ShellAssociation.h"
#include "TempFolder.h"
#include "app/ControlIds.h"
#include "app/HelpText.h"
#include "app/MainDialog.h"
#include "app/MainDialogProc.h"
#include "app/TempDirectory.h"

namespace sumbrook {
namespace {

using test::CaughtMessageBox;
using test::MessageBoxCatcher;
using test::OpenFileDialogDriver;
using test::TempFolder;
using test::TxtOpenAssociation;

constexpr char kOneFileTitle[] = " Calculation  of  CRC32 code  for  1 file";
constexpr char kAllFilesTitle[] = " Calculation  of  CRC32 codes  for  all files";

std::string TextOf(HWND window) {
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string CurrentDirectoryText() {
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

class DialogEventsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The dialog reads the temporary directory from the environment (TMP
        // first, then TEMP).
        char previous[MAX_PATH + 1] = {};
        GetEnvironmentVariableA("TMP", previous, sizeof previous);
        previousTemp_ = previous;
        SetEnvironmentVariableA("TMP", (temp_.Path() + "\\").c_str());
        dialog_ = CreateMainDialog(GetModuleHandleA(nullptr));
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
        Pump();
    }

    void TearDown() override {
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        Pump();
        SetEnvironmentVariableA("TMP", previousTemp_.c_str());
    }

    static void Pump() {
        MSG message = {};
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }
    void Click(int id) {
        SendMessageA(Item(id), BM_CLICK, 0, 0);
        Pump();
    }
    void Type(int id, const std::string& text) { SetWindowTextA(Item(id), text.c_str()); }
    std::string Field(int id) const { return TextOf(Item(id)); }
    bool Checked(int id) const { return SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string ProtocolPath() const { return temp_ / "#CRC32codes.txt"; }

    // Clicks and returns the one message box the click brought up.
    CaughtMessageBox ClickForMessage(int id) {
        MessageBoxCatcher catcher;
        Click(id);
        EXPECT_EQ(catcher.Caught().size(), 1U);
        return catcher.Caught().empty() ? CaughtMessageBox{} : catcher.Caught().front();
    }

    TempFolder temp_;
    TempFolder data_;
    HWND dialog_ = nullptr;
    std::string previousTemp_;
};

// --- Start-up and mode change ---

TEST_F(DialogEventsTest, StartsInOneFileModeWithTheTemporaryDirectoryAndFocusOnInfoHelp) {
    EXPECT_EQ(std::string(TempDirectory), temp_.Path() + "\\");
    EXPECT_TRUE(Checked(ID_OPTION_ONE_FILE));
    EXPECT_FALSE(Checked(ID_OPTION_ALL_FILES));
    EXPECT_EQ(GetFocus(), Item(ID_INFO_HELP));
    EXPECT_EQ(TextOf(dialog_), kOneFileTitle);
    EXPECT_TRUE(IsWindowEnabled(Item(ID_FILE_TEXT)));
}

TEST_F(DialogEventsTest, ModeChangeSwitchesTitleAndFileFieldAndKeepsTheTexts) {
    Type(ID_DIRECTORY_TEXT, "C:\\some dir");
    Type(ID_FILE_TEXT, "keep me.txt");

    Click(ID_OPTION_ALL_FILES);
    EXPECT_FALSE(Checked(ID_OPTION_ONE_FILE));
    EXPECT_EQ(TextOf(dialog_), kAllFilesTitle);
    EXPECT_FALSE(IsWindowEnabled(Item(ID_FILE_TEXT)));
    EXPECT_EQ(Field(ID_FILE_TEXT), "keep me.txt");

    Click(ID_OPTION_ALL_FILES);  // already selected: nothing changes
    EXPECT_EQ(TextOf(dialog_), kAllFilesTitle);
    EXPECT_FALSE(IsWindowEnabled(Item(ID_FILE_TEXT)));

    Click(ID_OPTION_ONE_FILE);
    EXPECT_TRUE(Checked(ID_OPTION_ONE_FILE));
    EXPECT_FALSE(Checked(ID_OPTION_ALL_FILES));
    EXPECT_EQ(TextOf(dialog_), kOneFileTitle);
    EXPECT_TRUE(IsWindowEnabled(Item(ID_FILE_TEXT)));
    EXPECT_EQ(Field(ID_FILE_TEXT), "keep me.txt");
    EXPECT_EQ(Field(ID_DIRECTORY_TEXT), "C:\\some dir");
}

TEST_F(DialogEventsTest, ModeChangeDoesNotMoveTheFocus) {
    SetFocus(Item(ID_DIRECTORY_TEXT));
    SendMessageA(Item(ID_OPTION_ALL_FILES), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(Item(ID_OPTION_ONE_FILE), BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_EQ(MainDialogProc(dialog_, WM_COMMAND, ID_OPTION_ALL_FILES, 0), 0);
    EXPECT_EQ(GetFocus(), Item(ID_DIRECTORY_TEXT));
    EXPECT_EQ(TextOf(dialog_), kAllFilesTitle);
}

TEST_F(DialogEventsTest, OtherCommandsAndMessagesAreLeftToTheDialog) {
    EXPECT_EQ(MainDialogProc(dialog_, WM_COMMAND, MAKEWPARAM(ID_DIRECTORY_TEXT, EN_CHANGE), 0), 0);
    EXPECT_EQ(MainDialogProc(dialog_, WM_COMMAND, 999, 0), 0);
    EXPECT_EQ(MainDialogProc(dialog_, WM_SIZE, SIZE_RESTORED, 0), 0);
    EXPECT_TRUE(IsWindow(dialog_));
}

// --- Info Help ---

TEST_F(DialogEventsTest, InfoHelpShowsTheHelpTextWithTheTemporaryDirectory) {
    const CaughtMessageBox box = ClickForMessage(ID_INFO_HELP);
    EXPECT_EQ(box.title, " Info - Help");
    EXPECT_EQ(box.text, InfoHelpText(temp_.Path() + "\\"));
    EXPECT_NE(box.text.find("\r\n" + temp_.Path() + "\\\r\n"), std::string::npos);
    EXPECT_EQ(box.icon, static_cast<unsigned>(MB_ICONINFORMATION));
    EXPECT_EQ(GetFocus(), Item(ID_BROWSE));
    EXPECT_TRUE(box.othersDisabled);  // task-modal: the dialog took no input meanwhile
    EXPECT_TRUE(IsWindowEnabled(dialog_));
}

// --- Calculation ---

TEST_F(DialogEventsTest, OneFileCalculationShowsThePathAsTypedAndTheChecksum) {
    data_.Write("Report.TXT", "abc");
    Type(ID_DIRECTORY_TEXT, data_.Path());
    Type(ID_FILE_TEXT, "report.txt");
    const CaughtMessageBox box = ClickForMessage(IDOK);
    EXPECT_EQ(box.title, " Calculation result");
    EXPECT_EQ(box.text, "File  " + data_.Path() + "\\report.txt  \r\n\r\nCRC32 code = 352441C2  ");
    EXPECT_EQ(box.icon, static_cast<unsigned>(MB_ICONINFORMATION));
    EXPECT_EQ(GetFocus(), Item(ID_BROWSE));
}

TEST_F(DialogEventsTest, OneFileCalculationWithAWrongFileShowsTheErrorAndFocusesBrowse) {
    data_.Write("a.txt", "abc");
    Type(ID_DIRECTORY_TEXT, data_.Path());
    Type(ID_FILE_TEXT, "a.txt ");  // trailing blank: not the same name
    const CaughtMessageBox box = ClickForMessage(IDOK);
    EXPECT_EQ(box.text, "Error:  Wrong file selected !!  ");
    EXPECT_EQ(box.icon, static_cast<unsigned>(MB_ICONHAND));
    EXPECT_EQ(GetFocus(), Item(ID_BROWSE));
}

TEST_F(DialogEventsTest, AllFilesCalculationWritesTheProtocolAndHandsItToTheShell) {
    data_.Write("abc.txt", "abc");
    data_.Write("empty.log", "");
    Type(ID_DIRECTORY_TEXT, data_.Path());
    Type(ID_FILE_TEXT, "ignored in this mode");
    Click(ID_OPTION_ALL_FILES);

    const std::string record = temp_ / "record.txt";
    {
        const TxtOpenAssociation recorder = TxtOpenAssociation::Recorder(record);
        MessageBoxCatcher catcher;
        Click(IDOK);
        EXPECT_TRUE(catcher.Caught().empty());
        const test::ShellRecord opened = test::WaitForShellRecord(record, 30000);
        EXPECT_TRUE(opened.present);
        EXPECT_EQ(opened.file, ProtocolPath());
        EXPECT_EQ(opened.content, test::ReadWholeFile(ProtocolPath()));
    }
    const std::string protocol = test::ReadWholeFile(ProtocolPath());
    EXPECT_EQ(protocol.substr(0, 42), "CRC32-codes of following files calculated ");
    EXPECT_NE(protocol.find("\r\nDirectory " + data_.Path() + "\r\n"), std::string::npos);
    EXPECT_NE(protocol.find("\r\nabc.txt" + std::string(27, ' ') + "352441C2\r\n"),
              std::string::npos);
    EXPECT_EQ(protocol.find("empty.log"), std::string::npos);
    EXPECT_NE(protocol.find("\r\n1 files calculated by program Sumbrook.exe\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(GetFocus(), Item(ID_BROWSE));
}

TEST_F(DialogEventsTest, AllFilesCalculationInAFolderWithoutFilesWarnsAndLeavesTheFocus) {
    data_.MakeFolder("only a folder");
    Type(ID_DIRECTORY_TEXT, data_.Path());
    Click(ID_OPTION_ALL_FILES);
    SetFocus(Item(ID_DIRECTORY_TEXT));

    MessageBoxCatcher catcher;
    EXPECT_EQ(MainDialogProc(dialog_, WM_COMMAND, IDOK, 0), 1);  // handled
    ASSERT_EQ(catcher.Caught().size(), 1U);
    EXPECT_EQ(catcher.Caught()[0].text, "None file in directory:  " + data_.Path() + "  ");
    EXPECT_EQ(catcher.Caught()[0].icon, static_cast<unsigned>(MB_ICONEXCLAMATION));
    // Headless, nothing activates the dialog again once the box has gone;
    // activating it gives back the focus it had, unless the command moved it.
    SetActiveWindow(dialog_);
    Pump();
    EXPECT_EQ(GetFocus(), Item(ID_DIRECTORY_TEXT));
    EXPECT_FALSE(test::FileExists(ProtocolPath()));
}

TEST_F(DialogEventsTest, AllFilesCalculationWithAWrongDirectoryFocusesBrowse) {
    Type(ID_DIRECTORY_TEXT, data_ / "no such folder");
    Click(ID_OPTION_ALL_FILES);
    SetFocus(Item(ID_DIRECTORY_TEXT));
    MessageBoxCatcher catcher;
    EXPECT_EQ(MainDialogProc(dialog_, WM_COMMAND, IDOK, 0), 0);
    ASSERT_EQ(catcher.Caught().size(), 1U);
    EXPECT_EQ(catcher.Caught()[0].text, "Error:  Wrong directory selected !!  ");
    EXPECT_EQ(GetFocus(), Item(ID_BROWSE));
}

// --- Browse ---

TEST_F(DialogEventsTest, BrowseOffersTheTypedFolderAndFileAndWritesBackTheChoice) {
    const std::string chosen = data_.Write("chosen file.txt", "x");
    data_.Write("preset.txt", "x");
    Type(ID_DIRECTORY_TEXT, data_.Path() + "\\");  // one trailing backslash is dropped
    Type(ID_FILE_TEXT, "preset.txt");
    const std::string before = CurrentDirectoryText();

    OpenFileDialogDriver driver(chosen, dialog_);
    Click(ID_BROWSE);

    const test::OpenFileDialogSeen& seen = driver.Seen();
    EXPECT_EQ(seen.timesShown, 1);
    EXPECT_EQ(seen.title, " Open  request file  in  any directory");
    EXPECT_EQ(seen.folder, data_.Path());
    EXPECT_EQ(seen.presetName, "preset.txt");
    ASSERT_EQ(seen.filters.size(), 1U);
    EXPECT_EQ(seen.filters[0], "Any file:  (*.*)");
    EXPECT_FALSE(seen.readOnlyBoxVisible);
    EXPECT_TRUE(seen.ownerDisabled);

    EXPECT_EQ(Field(ID_DIRECTORY_TEXT), data_.Path());
    EXPECT_EQ(Field(ID_FILE_TEXT), "chosen file.txt");
    EXPECT_EQ(GetFocus(), Item(IDOK));
    EXPECT_EQ(CurrentDirectoryText(), before);
}

TEST_F(DialogEventsTest, BrowseInAllFilesModeHasItsOwnTitleAndFillsTheFileFieldToo) {
    data_.Write("any.bin", "x");
    Type(ID_DIRECTORY_TEXT, data_.Path());
    Click(ID_OPTION_ALL_FILES);
    OpenFileDialogDriver driver(std::string("any.bin"), dialog_);  // picked in the offered folder
    Click(ID_BROWSE);
    EXPECT_EQ(driver.Seen().title, " Open  any file  in  request directory  ");
    EXPECT_EQ(Field(ID_DIRECTORY_TEXT), data_.Path());
    EXPECT_EQ(Field(ID_FILE_TEXT), "any.bin");
    EXPECT_EQ(GetFocus(), Item(IDOK));
}

TEST_F(DialogEventsTest, CancelledBrowseLeavesBothFieldsAndFocusesCancel) {
    const std::string directory = data_.Path() + "\\no such folder\\";
    Type(ID_DIRECTORY_TEXT, directory);
    Type(ID_FILE_TEXT, "typed.txt");
    const std::string before = CurrentDirectoryText();

    OpenFileDialogDriver driver(std::nullopt, dialog_);
    Click(ID_BROWSE);
    EXPECT_EQ(driver.Seen().timesShown, 1);
    EXPECT_EQ(driver.Seen().folder, before);  // a folder that names nothing: the current one
    EXPECT_EQ(Field(ID_DIRECTORY_TEXT), directory);
    EXPECT_EQ(Field(ID_FILE_TEXT), "typed.txt");
    EXPECT_EQ(GetFocus(), Item(IDCANCEL));
    EXPECT_EQ(CurrentDirectoryText(), before);
}

TEST_F(DialogEventsTest, BrowseWithAFileTextLongerThanTheDialogTakesIsSafe) {
    const std::string longName(9000, 'n');
    Type(ID_FILE_TEXT, longName);
    OpenFileDialogDriver driver(std::nullopt, dialog_);
    Click(ID_BROWSE);
    EXPECT_EQ(driver.Seen().timesShown, 1);
    EXPECT_TRUE(Field(ID_FILE_TEXT) == longName);
    EXPECT_EQ(GetFocus(), Item(IDCANCEL));
}

}  // namespace
}  // namespace sumbrook
