// The main dialog as the user meets it: built in this process exactly as the
// program builds it, then read back from the live windows and driven with
// the keys a user would press. Keys go through the dialog keyboard handling
// (IsDialogMessageA) as they do in the program's message loop.
#include "app/MainDialog.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/ControlIds.h"
#include "app/MainDialogTemplate.h"
#include "app/TempDirectory.h"

namespace sumbrook {
namespace {

constexpr DWORD kWaitLimitMs = 5000;

// One message that reached the dialog's handler, with what was true then.
struct Delivered {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int childCount;
    bool visible;
    int depth;  // 0 for a message not sent from inside another handler call
};

std::vector<Delivered> g_delivered;
int g_depth = 0;

int ChildCount(HWND dialog) {
    int count = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        ++count;
    }
    return count;
}

// Records what the handler receives and passes it on, except the commands of
// Calculation, Browse and Info Help: these tests check that the keys reach
// them, not what the commands then do (message boxes, the open-file dialog).
INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    g_delivered.push_back(
        {message, wParam, lParam, ChildCount(dialog), IsWindowVisible(dialog) != FALSE, g_depth});
    if (message == WM_COMMAND) {
        const int id = LOWORD(wParam);
        if (id == IDOK || id == ID_BROWSE || id == ID_INFO_HELP) return TRUE;
    }
    ++g_depth;
    const INT_PTR result = MainDialogProc(dialog, message, wParam, lParam);
    --g_depth;
    return result;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Dispatches what is queued, as the program's loop does.
void PumpQueued(HWND dialog) {
    MSG message = {};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool PumpUntilDestroyed(HWND dialog) {
    const DWORD start = GetTickCount();
    while (IsWindow(dialog) && GetTickCount() - start < kWaitLimitMs) {
        PumpQueued(dialog);
        if (IsWindow(dialog)) MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return !IsWindow(dialog);
}

// Thread timer that ends a loop which would otherwise run on.
HWND g_loopDialog = nullptr;
bool g_loopTimedOut = false;
void CALLBACK StopRunawayLoop(HWND, UINT, UINT_PTR, DWORD) {
    g_loopTimedOut = true;
    DestroyWindow(g_loopDialog);
}

// Runs the program's own message loop; true when it ended by itself within
// the time limit.
bool RunLoopWithinLimit(HWND dialog) {
    g_loopDialog = dialog;
    g_loopTimedOut = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, kWaitLimitMs, StopRunawayLoop);
    RunMainDialogLoop(dialog);
    KillTimer(nullptr, timer);
    return !g_loopTimedOut && !IsWindow(dialog);
}

class MainDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_delivered.clear();
        dialog_ = CreateMainDialog(GetModuleHandleA(nullptr), RecordingProc);
        ASSERT_NE(dialog_, nullptr);
        ShowWindow(dialog_, SW_SHOW);
        PumpQueued(dialog_);
        // A program that another test starts meanwhile can take the
        // activation for a moment; active again, the dialog gives the
        // focus back to the control that had it.
        if (GetForegroundWindow() != dialog_) {
            SetForegroundWindow(dialog_);
            PumpQueued(dialog_);
        }
    }
    void TearDown() override {
        SetShift(false);
        if (IsWindow(dialog_)) DestroyWindow(dialog_);
        PumpQueued(nullptr);
    }

    HWND Item(int id) const { return GetDlgItem(dialog_, id); }

    int CommandCount(int id) const {
        int count = 0;
        for (const Delivered& d : g_delivered) {
            if (d.message == WM_COMMAND && LOWORD(d.wParam) == id) ++count;
        }
        return count;
    }

    static void SetShift(bool down) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }

    // A key as it reaches the focused control, then what it caused.
    void PressKey(WPARAM key) {
        HWND target = GetFocus() != nullptr ? GetFocus() : dialog_;
        PostMessageA(target, WM_KEYDOWN, key, 1);
        PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
        PumpQueued(dialog_);
    }

    // Alt+letter: the system character that TranslateMessage makes of it.
    void PressAlt(char letter) {
        HWND target = GetFocus() != nullptr ? GetFocus() : dialog_;
        PostMessageA(target, WM_SYSCHAR, static_cast<WPARAM>(letter), 0x20000001);
        PumpQueued(dialog_);
    }

    void Focus(int id) {
        SetFocus(Item(id));
        ASSERT_EQ(GetFocus(), Item(id));
    }

    HWND dialog_ = nullptr;
};

// --- The window ---

TEST_F(MainDialogTest, WindowHasItsStyleTitleAndSize) {
    // The system adds WS_CLIPSIBLINGS to every top-level window,
    // WS_EX_WINDOWEDGE to one with a caption and WS_EX_CONTROLPARENT to a
    // dialog; everything else is ours.
    const auto style = static_cast<DWORD>(GetWindowLongA(dialog_, GWL_STYLE));
    EXPECT_EQ(style & ~static_cast<DWORD>(WS_CLIPSIBLINGS | WS_VISIBLE), 0x00CA0854U)
        << std::hex << style;
    const auto exStyle = static_cast<DWORD>(GetWindowLongA(dialog_, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & ~static_cast<DWORD>(WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT), 0U)
        << std::hex << exStyle;
    EXPECT_EQ(ClassOf(dialog_), "#32770");
    EXPECT_EQ(GetParent(dialog_), nullptr);
    EXPECT_EQ(GetWindow(dialog_, GW_OWNER), nullptr);
    EXPECT_EQ(GetMenu(dialog_), nullptr);
    EXPECT_EQ(TextOf(dialog_), " Calculation  of  CRC32 code  for  1 file");

    RECT expected = {0, 0, 225, 128};
    ASSERT_TRUE(MapDialogRect(dialog_, &expected));
    RECT client = {};
    GetClientRect(dialog_, &client);
    EXPECT_EQ(client.right, expected.right);
    EXPECT_EQ(client.bottom, expected.bottom);
    EXPECT_GT(client.right, 225);  // dialog units are wider than one pixel at 8 points
}

TEST_F(MainDialogTest, WindowIsCentredOnTheScreen) {
    RECT window = {};
    GetWindowRect(dialog_, &window);
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const LONG centreX = (window.left + window.right) / 2;
    const LONG centreY = (window.top + window.bottom) / 2;
    const LONG workCentreX = (work.left + work.right) / 2;
    const LONG workCentreY = (work.top + work.bottom) / 2;
    EXPECT_NEAR(centreX, workCentreX, 2);
    EXPECT_NEAR(centreY, workCentreY, 2);
}

TEST_F(MainDialogTest, CanBeMinimisedButNotMaximisedOrResized) {
    const auto style = static_cast<DWORD>(GetWindowLongA(dialog_, GWL_STYLE));
    EXPECT_NE(style & WS_MINIMIZEBOX, 0U);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0U);
    EXPECT_EQ(style & WS_THICKFRAME, 0U);
    HMENU systemMenu = GetSystemMenu(dialog_, FALSE);
    ASSERT_NE(systemMenu, nullptr);
    EXPECT_NE(GetMenuState(systemMenu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST(MainDialogTemplate, DescribesTheWindowAndNoItems) {
    const std::vector<WORD> words = BuildMainDialogTemplate();
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(words.data()) % 4, 0U);
    const auto* header = reinterpret_cast<const DLGTEMPLATE*>(words.data());
    EXPECT_EQ(header->style, 0x00CA0854U);
    EXPECT_EQ(header->dwExtendedStyle, 0U);
    EXPECT_EQ(header->cdit, 0);
    EXPECT_EQ(header->x, -1);
    EXPECT_EQ(header->y, -1);
    EXPECT_EQ(header->cx, 225);
    EXPECT_EQ(header->cy, 128);

    // Menu, class, title, point size, typeface.
    std::size_t at = sizeof(DLGTEMPLATE) / sizeof(WORD);
    const auto readText = [&words, &at]() {
        std::string text;
        while (at < words.size() && words[at] != 0) text += static_cast<char>(words[at++]);
        ++at;
        return text;
    };
    ASSERT_LT(at + 2, words.size());
    EXPECT_EQ(words[at++], 0) << "no menu";
    EXPECT_EQ(words[at++], 0) << "the predefined dialog class";
    EXPECT_EQ(readText(), " Calculation  of  CRC32 code  for  1 file");
    ASSERT_LT(at, words.size());
    EXPECT_EQ(words[at++], 8);
    EXPECT_EQ(readText(), "MS Sans Serif");
    EXPECT_EQ(at, words.size());
}

// --- The controls ---

struct ExpectedControl {
    const char* className;
    DWORD style;
    DWORD exStyle;
    int id;
    const char* caption;
    RECT dialogUnits;  // left, top, right, bottom
};

constexpr DWORD kPush = 0x50010000;
constexpr DWORD kOption = 0x50010009;
constexpr DWORD kGroup = 0x50000007;
constexpr DWORD kLabel = 0x50000000;
constexpr DWORD kText = 0x50010080;

// clang-format off
const ExpectedControl kExpected[] = {
    {"Button", kGroup, 0, 0, "Calculation for:", {38, 4, 38 + 118, 4 + 43}},
    {"Button", kOption, 0, 10, " 1 selected file from directory ", {43, 16, 43 + 105, 16 + 12}},
    {"Button", kOption, 0, 11, " ALL files existing in directory ", {43, 30, 43 + 105, 30 + 12}},
    {"Static", kLabel, 0, 0, "ver.2", {185, 11, 185 + 22, 11 + 12}},
    {"Button", kPush, 0, 4, "&Info Help", {173, 29, 173 + 42, 29 + 13}},
    {"Button", kGroup, 0, 0, "Source directory/file selection:", {5, 55, 5 + 216, 55 + 45}},
    {"Static", kLabel, 0, 0, "directory:", {9, 68, 9 + 32, 68 + 12}},
    {"Edit", kText, 0x200, 20, "", {41, 67, 41 + 174, 67 + 12}},
    {"Static", kLabel, 0, 0, "file:", {26, 83, 26 + 14, 83 + 12}},
    {"Edit", kText, 0x200, 21, "", {41, 82, 41 + 96, 82 + 12}},
    {"Button", kPush, 0, 3, "&Browse ...", {173, 82, 173 + 42, 82 + 13}},
    {"Button", kPush, 0, 1, "&Calculation", {65, 107, 65 + 46, 107 + 15}},
    {"Button", kPush, 0, 2, "C&ancel", {128, 107, 128 + 33, 107 + 15}},
};
// clang-format on

std::vector<HWND> ChildrenInZOrder(HWND dialog) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

void ExpectControlsAsCreated(HWND dialog) {
    const std::vector<HWND> children = ChildrenInZOrder(dialog);
    ASSERT_EQ(children.size(), std::size(kExpected));
    for (std::size_t i = 0; i < children.size(); ++i) {
        const ExpectedControl& want = kExpected[i];
        HWND child = children[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " \"" + want.caption + "\"");
        EXPECT_STRCASEEQ(ClassOf(child).c_str(), want.className);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE)), want.style);
        // Group boxes draw through to what lies below them; the system marks
        // them WS_EX_TRANSPARENT itself.
        DWORD exStyle = static_cast<DWORD>(GetWindowLongA(child, GWL_EXSTYLE));
        if (want.style == kGroup) exStyle &= ~static_cast<DWORD>(WS_EX_TRANSPARENT);
        EXPECT_EQ(exStyle, want.exStyle);
        EXPECT_EQ(GetDlgCtrlID(child), want.id);
        EXPECT_EQ(TextOf(child), want.caption);

        RECT expected = want.dialogUnits;
        ASSERT_TRUE(MapDialogRect(dialog, &expected));
        RECT actual = {};
        GetWindowRect(child, &actual);
        MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&actual), 2);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);

        EXPECT_TRUE(IsWindowEnabled(child));
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)),
                  reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)));
    }
}

TEST(MainDialogBuilt, ControlsInCreationOrderWithTheirClassStyleIdCaptionAndRectangle) {
    HWND dialog = BuildMainDialog(GetModuleHandleA(nullptr));
    ASSERT_NE(dialog, nullptr);
    ExpectControlsAsCreated(dialog);
    DestroyWindow(dialog);
}

TEST(MainDialogBuilt, IsHiddenWithNothingCheckedAndEmptyTexts) {
    HWND dialog = BuildMainDialog(GetModuleHandleA(nullptr));
    ASSERT_NE(dialog, nullptr);
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(SendDlgItemMessageA(dialog, ID_OPTION_ONE_FILE, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(SendDlgItemMessageA(dialog, ID_OPTION_ALL_FILES, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, ID_DIRECTORY_TEXT)), 0);
    EXPECT_EQ(GetWindowTextLengthA(GetDlgItem(dialog, ID_FILE_TEXT)), 0);
    DestroyWindow(dialog);
}

TEST(MainDialogBuilt, UsesTheDialogFont) {
    HWND dialog = BuildMainDialog(GetModuleHandleA(nullptr));
    ASSERT_NE(dialog, nullptr);
    const auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTA description = {};
    ASSERT_NE(GetObjectA(font, sizeof description, &description), 0);
    // 8 points at the screen's resolution; the face may be the system's
    // substitute where "MS Sans Serif" is not installed.
    HDC screen = GetDC(nullptr);
    const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(std::abs(description.lfHeight), MulDiv(8, pixelsPerInch, 72));
    DestroyWindow(dialog);
}

// Makes CreateWindowEx fail for windows of one class on this thread.
std::string g_refusedClass;
LRESULT CALLBACK RefuseCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        const char* name = create->lpcs->lpszClass;
        if (!IS_INTRESOURCE(name) && lstrcmpiA(name, g_refusedClass.c_str()) == 0) return 1;
        if (IS_INTRESOURCE(name) && g_refusedClass == "#32770" &&
            reinterpret_cast<ULONG_PTR>(name) == 32770) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

class RefusedCreation {
  public:
    explicit RefusedCreation(const char* className) {
        g_refusedClass = className;
        hook_ = SetWindowsHookExA(WH_CBT, RefuseCreation, nullptr, GetCurrentThreadId());
    }
    ~RefusedCreation() { UnhookWindowsHookEx(hook_); }
    RefusedCreation(const RefusedCreation&) = delete;
    RefusedCreation& operator=(const RefusedCreation&) = delete;

  private:
    HHOOK hook_;
};

TEST(MainDialogBuilt, ControlsThatCannotBeCreatedAreLeftOut) {
    HWND dialog = nullptr;
    {
        RefusedCreation noTextBoxes("Edit");
        dialog = CreateMainDialog(GetModuleHandleA(nullptr));
    }
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ChildrenInZOrder(dialog).size(), 11U);
    EXPECT_EQ(GetDlgItem(dialog, ID_DIRECTORY_TEXT), nullptr);
    EXPECT_EQ(GetDlgItem(dialog, ID_FILE_TEXT), nullptr);
    EXPECT_EQ(GetDlgCtrlID(GetWindow(GetDlgItem(dialog, ID_BROWSE), GW_HWNDNEXT)), IDOK);
    // The rest starts as usual.
    EXPECT_EQ(SendDlgItemMessageA(dialog, ID_OPTION_ONE_FILE, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, ID_INFO_HELP));
    DestroyWindow(dialog);
}

TEST(MainDialogBuilt, NoDialogWhenTheWindowCannotBeCreated) {
    RefusedCreation noDialogs("#32770");
    EXPECT_EQ(CreateMainDialog(GetModuleHandleA(nullptr)), nullptr);
    ShowMainDialog(GetModuleHandleA(nullptr));  // returns at once, showing nothing
}

TEST_F(MainDialogTest, ControlsKeepTheirLookAfterStartUp) {
    ExpectControlsAsCreated(dialog_);
}

// --- Start-up ---

TEST_F(MainDialogTest, StartsInOneFileModeWithTheFocusOnInfoHelp) {
    EXPECT_TRUE(IsWindowVisible(dialog_));
    EXPECT_EQ(SendMessageA(Item(ID_OPTION_ONE_FILE), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Item(ID_OPTION_ALL_FILES), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(GetFocus(), Item(ID_INFO_HELP));
    EXPECT_TRUE(IsWindowEnabled(Item(ID_FILE_TEXT)));
}

TEST_F(MainDialogTest, StartUpFillsTheTemporaryDirectory) {
    char expected[MAX_PATH + 1] = {};
    GetTempPathA(sizeof expected, expected);
    EXPECT_STREQ(TempDirectory, expected);
    ASSERT_GT(std::strlen(TempDirectory), 0U);
    EXPECT_EQ(TempDirectory[std::strlen(TempDirectory) - 1], '\\');
}

TEST_F(MainDialogTest, InitialiseEventOnceWithAllControlsThenSizeEventBeforeShown) {
    int initCount = 0;
    std::size_t initIndex = 0;
    for (std::size_t i = 0; i < g_delivered.size(); ++i) {
        if (g_delivered[i].message == WM_INITDIALOG) {
            ++initCount;
            initIndex = i;
        }
    }
    ASSERT_EQ(initCount, 1);
    EXPECT_EQ(initIndex, 0U) << "the handler sees nothing before the initialise event";
    EXPECT_EQ(g_delivered[initIndex].childCount, 13);
    EXPECT_FALSE(g_delivered[initIndex].visible);

    // The next message not sent from inside the initialise handling.
    std::size_t next = initIndex + 1;
    while (next < g_delivered.size() && g_delivered[next].depth > 0) ++next;
    ASSERT_LT(next, g_delivered.size());
    const Delivered& size = g_delivered[next];
    EXPECT_EQ(size.message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(size.wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_FALSE(size.visible);
    RECT client = {};
    GetClientRect(dialog_, &client);
    EXPECT_EQ(LOWORD(size.lParam), client.right);
    EXPECT_EQ(HIWORD(size.lParam), client.bottom);
}

// --- Keyboard ---

TEST_F(MainDialogTest, TabVisitsTheTabStopsInOrderAndWrapsAround) {
    const int order[] = {ID_OPTION_ONE_FILE, ID_OPTION_ALL_FILES, ID_INFO_HELP, ID_DIRECTORY_TEXT,
                         ID_FILE_TEXT,       ID_BROWSE,           IDOK,         IDCANCEL};
    Focus(ID_OPTION_ONE_FILE);
    for (std::size_t step = 1; step <= std::size(order); ++step) {
        PressKey(VK_TAB);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[step % std::size(order)]) << "step " << step;
    }
}

TEST_F(MainDialogTest, ShiftTabVisitsTheTabStopsBackwards) {
    const int order[] = {ID_OPTION_ONE_FILE, IDCANCEL,          IDOK,         ID_BROWSE,
                         ID_FILE_TEXT,       ID_DIRECTORY_TEXT, ID_INFO_HELP, ID_OPTION_ALL_FILES};
    Focus(ID_OPTION_ONE_FILE);
    SetShift(true);
    for (std::size_t step = 1; step <= std::size(order); ++step) {
        PressKey(VK_TAB);
        EXPECT_EQ(GetDlgCtrlID(GetFocus()), order[step % std::size(order)]) << "step " << step;
    }
}

TEST_F(MainDialogTest, TabFromTheStartFocusGoesToTheDirectoryText) {
    PressKey(VK_TAB);
    EXPECT_EQ(GetFocus(), Item(ID_DIRECTORY_TEXT));
}

TEST_F(MainDialogTest, EscInATextBoxEndsTheDialog) {
    Focus(ID_FILE_TEXT);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(CommandCount(IDCANCEL), 1);
    EXPECT_TRUE(PumpUntilDestroyed(dialog_));
}

TEST_F(MainDialogTest, EscEndsTheProgramsLoop) {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(RunLoopWithinLimit(dialog_));
}

TEST_F(MainDialogTest, CloseCommandEndsTheProgramsLoop) {
    PostMessageA(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(RunLoopWithinLimit(dialog_));
    EXPECT_EQ(CommandCount(IDCANCEL), 1);
}

TEST_F(MainDialogTest, AltF4EndsTheDialogWhateverTheTextBoxesHold) {
    SetWindowTextA(Item(ID_DIRECTORY_TEXT), "C:\\somewhere");
    SetWindowTextA(Item(ID_FILE_TEXT), "unsaved.txt");
    Focus(ID_FILE_TEXT);
    PostMessageA(GetFocus(), WM_SYSKEYDOWN, VK_F4, 0x20000001);  // with Alt held
    EXPECT_TRUE(RunLoopWithinLimit(dialog_));
}

TEST_F(MainDialogTest, EnterInEitherTextBoxGivesCalculation) {
    for (int id : {ID_DIRECTORY_TEXT, ID_FILE_TEXT}) {
        g_delivered.clear();
        Focus(id);
        PressKey(VK_RETURN);
        EXPECT_EQ(CommandCount(IDOK), 1) << "text box " << id;
        EXPECT_TRUE(IsWindow(dialog_));
    }
}

TEST_F(MainDialogTest, EnterOnAnOptionButtonGivesCalculation) {
    for (int id : {ID_OPTION_ONE_FILE, ID_OPTION_ALL_FILES}) {
        g_delivered.clear();
        Focus(id);
        PressKey(VK_RETURN);
        EXPECT_EQ(CommandCount(IDOK), 1) << "option button " << id;
    }
}

TEST_F(MainDialogTest, EnterInATextBoxAfterTabbingPastAButtonStillGivesCalculation) {
    Focus(ID_BROWSE);
    SetShift(true);
    PressKey(VK_TAB);  // back to the file text
    SetShift(false);
    ASSERT_EQ(GetFocus(), Item(ID_FILE_TEXT));
    g_delivered.clear();
    PressKey(VK_RETURN);
    EXPECT_EQ(CommandCount(IDOK), 1);
    EXPECT_EQ(CommandCount(ID_BROWSE), 0);
}

TEST_F(MainDialogTest, MnemonicsActAsClicksOnTheirButtons) {
    const struct {
        char letter;
        int id;
    } keys[] = {{'i', ID_INFO_HELP}, {'b', ID_BROWSE}, {'c', IDOK}, {'I', ID_INFO_HELP}};
    for (const auto& key : keys) {
        g_delivered.clear();
        Focus(ID_DIRECTORY_TEXT);
        PressAlt(key.letter);
        EXPECT_EQ(CommandCount(key.id), 1) << "Alt+" << key.letter;
        EXPECT_TRUE(IsWindow(dialog_));
    }
}

TEST_F(MainDialogTest, AltAClicksCancelAndEndsTheDialog) {
    Focus(ID_FILE_TEXT);
    PressAlt('a');
    EXPECT_EQ(CommandCount(IDCANCEL), 1);
    EXPECT_TRUE(PumpUntilDestroyed(dialog_));
}

TEST_F(MainDialogTest, ArrowKeysMoveTheCheckBetweenTheOptionButtons) {
    HWND oneFile = Item(ID_OPTION_ONE_FILE);
    HWND allFiles = Item(ID_OPTION_ALL_FILES);
    Focus(ID_OPTION_ONE_FILE);
    PressKey(VK_DOWN);
    EXPECT_EQ(GetFocus(), allFiles);
    EXPECT_EQ(SendMessageA(allFiles, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(oneFile, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(CommandCount(ID_OPTION_ALL_FILES), 1);

    PressKey(VK_UP);
    EXPECT_EQ(GetFocus(), oneFile);
    EXPECT_EQ(SendMessageA(oneFile, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(allFiles, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(CommandCount(ID_OPTION_ONE_FILE), 1);
}

TEST_F(MainDialogTest, ClickingAnOptionButtonClearsTheOther) {
    SendMessageA(Item(ID_OPTION_ALL_FILES), BM_CLICK, 0, 0);
    PumpQueued(dialog_);
    EXPECT_EQ(SendMessageA(Item(ID_OPTION_ALL_FILES), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Item(ID_OPTION_ONE_FILE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(Item(ID_OPTION_ONE_FILE), BM_CLICK, 0, 0);
    PumpQueued(dialog_);
    EXPECT_EQ(SendMessageA(Item(ID_OPTION_ONE_FILE), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(Item(ID_OPTION_ALL_FILES), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

// --- Ending ---

TEST_F(MainDialogTest, CancelButtonEndsTheDialog) {
    SendMessageA(Item(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntilDestroyed(dialog_));
}

TEST_F(MainDialogTest, OtherButtonsLeaveTheDialogOpen) {
    for (int id : {ID_OPTION_ONE_FILE, ID_OPTION_ALL_FILES, ID_DIRECTORY_TEXT, ID_FILE_TEXT}) {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        PumpQueued(dialog_);
        EXPECT_TRUE(IsWindow(dialog_)) << id;
    }
}

TEST_F(MainDialogTest, EndMainDialogDestroysTheWindow) {
    EndMainDialog(dialog_, 0);
    EXPECT_FALSE(IsWindow(dialog_));
}

TEST_F(MainDialogTest, QuitMessageEndsTheLoopAndIsPassedOn) {
    PostQuitMessage(7);
    EXPECT_TRUE(RunLoopWithinLimit(dialog_));
    MSG message = {};
    ASSERT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7U);
}

}  // namespace
}  // namespace sumbrook
