// The common dialogs the window asks the user with: a list to open, a file
// to save to, a folder. Paths in and out are UTF-8; "" when the user
// cancels. The dialogs' DLLs are loaded at their first use, not at the
// program's start. Windows only.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace sumbrook {

// Filters "Checksum lists and protocols" (every list extension and the
// names publishers give their lists, *SUMS: ListFilePatterns), "Checksum
// lists", "Protocols (*.txt)", "All files (*.*)".
std::string ChooseListToOpen(HWND owner, const std::string& startFolder);

// Where a new list goes and which it is: the dialog's file types are the
// entries of kNewListKinds (NewListKinds.h), the first chosen; each adds
// its extension when none is typed. `suggested`: the full path offered,
// without an extension. "" when cancelled; else `chosen` is the entry's
// index.
std::string ChooseNewListToSave(HWND owner, const std::string& suggested, std::size_t& chosen);

// A publisher's key file ("Keys (*.asc, *.gpg, *.pgp, *.key, *.pub)", "All
// files (*.*)").
std::string ChooseKeyFile(HWND owner);

// Any file, to check alone ("All files (*.*)").
std::string ChooseFileToCheck(HWND owner);

// `suggested`: the full path offered; the dialog asks before replacing a
// file. `extension` without the dot ("txt", "sfv") is added when none is typed.
std::string ChooseFileToSave(HWND owner, const std::string& title, const std::string& suggested,
                             const std::string& extension);

std::string ChooseFolder(HWND owner, const std::string& title);

}  // namespace sumbrook
