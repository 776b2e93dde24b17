// The Browse command: pick the source with the open-file dialog.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace sumbrook {

inline constexpr char kBrowseTitleOneFile[] = " Open  request file  in  any directory";
inline constexpr char kBrowseTitleAllFiles[] = " Open  any file  in  request directory  ";
inline constexpr char kBrowseFilter[] = "Any file:  (*.*)|*.*";
// OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST | OFN_LONGNAMES
inline constexpr DWORD kBrowseFlags = 0x0020100C;

// The file the user chose: its directory without a trailing backslash, and
// its bare name.
struct ChosenSource {
    std::string directoryText;
    std::string fileText;
};

// The open-file dialog's title for the selection mode.
const char* BrowseTitle(bool oneFileMode);

// Runs the open-file dialog, owned by `dialog`, titled `title`, starting in
// `directoryText` (one trailing backslash removed; the current directory when
// the text names nothing the directory search finds) with `fileText` as the
// preset name. Repaints `dialog` afterwards. Returns the chosen file, or
// nothing when the user cancelled or the dialog failed.
std::optional<ChosenSource> BrowseForSource(HWND dialog, const char* title,
                                            std::string directoryText, std::string fileText);

}  // namespace sumbrook
