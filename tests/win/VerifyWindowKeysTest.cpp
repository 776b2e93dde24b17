// The verification window at the keyboard and on the screen: access keys
// unique among the controls and the menu bar, the focus kept somewhere when
// the focused button is disabled, Esc that cancels from there, nothing cut
// at the smallest size, and fonts made again when the dots per inch change.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "VerifyWindowDriver.h"
#include "tests/common/TestContent.h"
#include "verifier/win/VerifierControlIds.h"

namespace sumbrook {
namespace {

using test::CrcText;
using test::OpenWindow;
using test::PumpUntil;
using test::TempFolder;

// The letter after a single '&', lower-cased; 0 for none.
char AccessKeyOf(const std::string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
    }
    return 0;
}

BOOL CALLBACK AddChild(HWND child, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
    return TRUE;
}

std::vector<HWND> ChildrenOf(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, AddChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

TEST(VerifyWindowKeysTest, AccessKeysAreUniqueAmongTheControlsAndTheMenuBar) {
    OpenWindow window{VerifierRequest()};
    std::map<char, std::vector<std::string>> owners;
    HMENU bar = GetMenu(window.Get());
    for (int item = 0; item < GetMenuItemCount(bar); ++item) {
        char text[64] = {};
        GetMenuStringA(bar, static_cast<UINT>(item), text, sizeof text, MF_BYPOSITION);
        if (const char key = AccessKeyOf(text)) owners[key].push_back(text);
    }
    for (HWND child : ChildrenOf(window.Get())) {
        const std::string cls = ClassOf(child);
        if (cls != "Button" && cls != "Static") continue;
        const std::string text = test::TextOf(child);
        if (const char key = AccessKeyOf(text)) owners[key].push_back(text);
    }
    EXPECT_GE(owners.size(), 15u);
    for (const auto& [key, texts] : owners) {
        EXPECT_EQ(texts.size(), 1u) << "'" << key << "': " << ::testing::PrintToString(texts);
    }
}

// Space on the focused "Check again" starts a run and disables the button:
// the focus goes on to Cancel, and Esc there (through the window's own
// loop) cancels the run.
TEST(VerifyWindowKeysTest, TheFocusOutlivesTheButtonItWasOnAndEscCancels) {
    TempFolder scratch;
    test::WriteWholeFile(scratch / "a.txt", "a");
    const std::string list = scratch.Write("list.sfv", "a.txt " + CrcText("a") + "\r\n");
    VerifierRequest request;
    request.start = VerifierRequest::Start::kCheck;
    request.list = list;
    OpenWindow window(request);
    ASSERT_TRUE(window.WaitForEnd());
    test::WriteSparseFile(scratch / "big.bin", 8ULL << 30);
    test::WriteWholeFile(list, "big.bin 00000000\r\n");
    SetForegroundWindow(window.Get());
    SetActiveWindow(window.Get());
    HWND again = window.Control(ID_CHECK_AGAIN);
    SetFocus(again);
    ASSERT_EQ(GetFocus(), again);
    SendMessageW(again, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(again, WM_KEYUP, VK_SPACE, MAKELPARAM(1, 0xC000));
    ASSERT_TRUE(window.Running());
    HWND focus = GetFocus();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(IsWindowEnabled(focus));
    EXPECT_EQ(focus, window.Control(ID_CANCEL_RUN));
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, MAKELPARAM(1, 0x0001));
    PostMessageW(focus, WM_KEYUP, VK_ESCAPE, MAKELPARAM(1, 0xC001));
    EXPECT_TRUE(PumpUntil([&] { return !window.Running(); }, 10000, window.Get()));
    EXPECT_EQ(window.ExitCode(), 3);
    EXPECT_NE(GetFocus(), nullptr);
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

// At the smallest size the window allows, every control lies whole inside
// it, none covers another, and the text of each button and box fits.
TEST(VerifyWindowKeysTest, NothingIsCutAtTheSmallestSize) {
    OpenWindow window{VerifierRequest()};
    MINMAXINFO limits = {};
    SendMessageW(window.Get(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    ASSERT_GT(limits.ptMinTrackSize.x, 0);
    SetWindowPos(window.Get(), nullptr, 0, 0, limits.ptMinTrackSize.x, limits.ptMinTrackSize.y,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    RECT client = {};
    GetClientRect(window.Get(), &client);
    std::vector<std::pair<HWND, RECT>> placed;
    for (HWND child : ChildrenOf(window.Get())) {
        if (GetParent(child) != window.Get() || !IsWindowVisible(child)) continue;
        RECT rect = {};
        GetWindowRect(child, &rect);
        MapWindowPoints(nullptr, window.Get(), reinterpret_cast<POINT*>(&rect), 2);
        const std::string text = test::TextOf(child);
        EXPECT_TRUE(Inside(rect, client)) << text;
        EXPECT_GT(rect.right - rect.left, 0) << text;
        EXPECT_GT(rect.bottom - rect.top, 0) << text;
        for (const auto& [other, otherRect] : placed) {
            EXPECT_FALSE(Overlap(rect, otherRect)) << text << " / " << test::TextOf(other);
        }
        placed.emplace_back(child, rect);
        if (ClassOf(child) != "Button") continue;
        HDC context = GetDC(child);
        const HGDIOBJ before =
            SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageW(child, WM_GETFONT, 0, 0)));
        std::string shown = text;
        shown.erase(std::remove(shown.begin(), shown.end(), '&'), shown.end());
        SIZE size = {};
        GetTextExtentPoint32A(context, shown.c_str(), static_cast<int>(shown.size()), &size);
        SelectObject(context, before);
        ReleaseDC(child, context);
        EXPECT_LE(size.cx, rect.right - rect.left) << text;
    }
    EXPECT_GE(placed.size(), 18u);
}

int FontHeight(HWND control) {
    LOGFONTW font = {};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font,
               &font);
    return std::abs(font.lfHeight);
}

TEST(VerifyWindowKeysTest, FontsAreMadeAgainWhenTheDotsPerInchChange) {
    OpenWindow window{VerifierRequest()};
    HWND button = window.Control(ID_CHECK_AGAIN);
    const int before = FontHeight(button);
    ASSERT_GT(before, 0);
    RECT suggested = {};
    GetWindowRect(window.Get(), &suggested);
    suggested.right = suggested.left + 2 * (suggested.right - suggested.left);
    suggested.bottom = suggested.top + 2 * (suggested.bottom - suggested.top);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    SendMessageW(window.Get(), WM_DPICHANGED, MAKEWPARAM(2 * dpi, 2 * dpi),
                 reinterpret_cast<LPARAM>(&suggested));
    EXPECT_NEAR(FontHeight(button), 2 * before, 2);
    EXPECT_NEAR(FontHeight(window.Control(ID_ROWS)), 2 * before, 2);
}

}  // namespace
}  // namespace sumbrook
