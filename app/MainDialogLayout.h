// The main dialog's fixed look: its window properties, the five kinds of
// control and the thirteen controls in creation order. The creation order is
// also the Z-order and the tab order. Positions and sizes are dialog units,
// relative to the dialog's client area.
#pragma once

#include <windows.h>

#include <array>

#include "app/ControlIds.h"

namespace sumbrook {

struct DialogUnitRect {
    short x;
    short y;
    short cx;
    short cy;
};

// Top-level, fixed size, centred, not visible until the dialog has started.
inline constexpr DWORD kMainDialogStyle =
    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER | DS_SETFONT | DS_NOFAILCREATE | DS_3DLOOK;
static_assert(kMainDialogStyle == 0x00CA0854, "main dialog style word");
inline constexpr DWORD kMainDialogExStyle = 0;
// x and y play no part: DS_CENTER places the dialog.
inline constexpr DialogUnitRect kMainDialogRect = {-1, -1, 225, 128};
inline constexpr char kMainDialogFontName[] = "MS Sans Serif";
inline constexpr WORD kMainDialogFontPoints = 8;
inline constexpr char kOneFileTitle[] = " Calculation  of  CRC32 code  for  1 file";

enum class ControlKind { kPushButton, kOptionButton, kGroupBox, kLabel, kTextBox };

struct ControlKindStyle {
    const char* className;
    DWORD style;  // the complete style word
    DWORD exStyle;
};

// No kind carries WS_GROUP, so the whole dialog is one control group; no push
// button is BS_DEFPUSHBUTTON.
constexpr ControlKindStyle StyleOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::kPushButton:
            return {"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::kOptionButton:
            return {"BUTTON", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTORADIOBUTTON, 0};
        case ControlKind::kGroupBox:
            return {"BUTTON", WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 0};
        case ControlKind::kLabel:
            return {"STATIC", WS_CHILD | WS_VISIBLE | SS_LEFT, 0};
        case ControlKind::kTextBox:
            return {"EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
                    WS_EX_CLIENTEDGE};
    }
    return {"STATIC", 0, 0};
}
static_assert(StyleOf(ControlKind::kPushButton).style == 0x50010000, "push button style");
static_assert(StyleOf(ControlKind::kOptionButton).style == 0x50010009, "option button style");
static_assert(StyleOf(ControlKind::kGroupBox).style == 0x50000007, "group box style");
static_assert(StyleOf(ControlKind::kLabel).style == 0x50000000, "label style");
static_assert(StyleOf(ControlKind::kTextBox).style == 0x50010080, "text box style");
static_assert(StyleOf(ControlKind::kTextBox).exStyle == 0x00000200, "text box extended style");

struct ControlLayout {
    ControlKind kind;
    int id;               // 0 for group boxes and labels
    const char* caption;  // empty for the text boxes
    DialogUnitRect rect;
};

inline constexpr int kMainDialogControlCount = 13;

// clang-format off
inline constexpr std::array<ControlLayout, kMainDialogControlCount> kMainDialogControls = {{
    {ControlKind::kGroupBox, 0, "Calculation for:", {38, 4, 118, 43}},
    {ControlKind::kOptionButton, ID_OPTION_ONE_FILE, " 1 selected file from directory ", {43, 16, 105, 12}},
    {ControlKind::kOptionButton, ID_OPTION_ALL_FILES, " ALL files existing in directory ", {43, 30, 105, 12}},
    {ControlKind::kLabel, 0, "ver.2", {185, 11, 22, 12}},
    {ControlKind::kPushButton, ID_INFO_HELP, "&Info Help", {173, 29, 42, 13}},
    {ControlKind::kGroupBox, 0, "Source directory/file selection:", {5, 55, 216, 45}},
    {ControlKind::kLabel, 0, "directory:", {9, 68, 32, 12}},
    {ControlKind::kTextBox, ID_DIRECTORY_TEXT, "", {41, 67, 174, 12}},
    {ControlKind::kLabel, 0, "file:", {26, 83, 14, 12}},
    {ControlKind::kTextBox, ID_FILE_TEXT, "", {41, 82, 96, 12}},
    {ControlKind::kPushButton, ID_BROWSE, "&Browse ...", {173, 82, 42, 13}},
    {ControlKind::kPushButton, IDOK, "&Calculation", {65, 107, 46, 15}},
    {ControlKind::kPushButton, IDCANCEL, "C&ancel", {128, 107, 33, 15}},
}};
// clang-format on

}  // namespace sumbrook
