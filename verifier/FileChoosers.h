// The common dialogs the window asks the user with: a list to open, a file
// to save to, a folder. Paths in and out are UTF-8; "" when the user
// cancels. The dialogs' DLLs are loaded at their first use, not at the
// program's start. Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace sumbrook {

// Filters "Checksum lists (*.sfv)", "Protocols (*.txt)", "All files (*.*)".
std::string ChooseListToOpen(HWND owner, const std::string& startFolder);

// Any file, to check alone ("All files (*.*)").
std::string ChooseFileToCheck(HWND owner);

// `suggested`: the full path offered; the dialog asks before replacing a
// file. `extension` without the dot ("txt", "sfv") is added when none is typed.
std::string ChooseFileToSave(HWND owner, const std::string& title, const std::string& suggested,
                             const std::string& extension);

std::string ChooseFolder(HWND owner, const std::string& title);

}  // namespace sumbrook
