// A general wrapper around the platform's open-file dialog.
#pragma once

#include <windows.h>

#include <string>

namespace sumbrook {

// Size of the file-name buffer handed to the dialog, NUL included.
inline constexpr std::size_t kOpenFileBufferSize = 8192;

// Runs GetOpenFileNameA, modal to `owner`, with the given title (the
// platform's own when empty), the file text offered as the preset name, the
// initial directory (the current directory when empty), the filter text
// ("description|pattern", see FilterList), the default extension (none when
// empty) and the OFN_ flags.
// Returns nonzero when the user accepted a file: `fileText` then holds the full
// path the dialog returned. Returns zero when the user cancelled or the dialog
// failed: `fileText` is then unchanged. A preset longer than the buffer holds
// is offered cut to kOpenFileBufferSize - 1 characters.
BOOL RunOpenFileDialog(HWND owner, const std::string& title, std::string& fileText,
                       const std::string& initialDirectory, const std::string& filterText,
                       const std::string& defaultExtension, DWORD flags);

// The process's current directory ("" when it cannot be read).
std::string CurrentDirectory();

}  // namespace sumbrook
