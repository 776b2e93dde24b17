// The Browse command: pick the source with the open-file dialog.
#pragma once

#include <windows.h>

#include <string>

namespace sumbrook {

inline constexpr char kBrowseTitleOneFile[] = " Open  request file  in  any directory";
inline constexpr char kBrowseTitleAllFiles[] = " Open  any file  in  request directory  ";
inline constexpr char kBrowseFilter[] = "Any file:  (*.*)|*.*";
// OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST | OFN_LONGNAMES
inline constexpr DWORD kBrowseFlags = 0x0020100C;

// Runs the open-file dialog, owned by `dialog`, titled after the selection
// mode, starting in `directoryText` (one trailing backslash removed; the
// current directory when the text names nothing the directory search finds)
// with `fileText` as the preset name. Repaints `dialog` afterwards.
// Returns 1 when the user chose a file: `directoryText` then holds its
// directory without a trailing backslash and `fileText` its bare name.
// Returns 0 otherwise; the texts are then not to be used.
int BrowseForSource(HWND dialog, std::string& directoryText, std::string& fileText);

}  // namespace sumbrook
