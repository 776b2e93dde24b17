// The program's Explorer verbs, for the current user only, without an
// installer or a shell DLL: "Verify with Sumbrook" on lists (every extension
// of ListFileExtensions; not on lists without an extension such as the *SUMS
// names, which Explorer cannot single out by name), "Create checksum list" on folders and
// "Checksums with Sumbrook" on every file, each starting this program (with the file, with /new and
// the folder, with /file and the file; a '%' of the program's path written
// "%%", which the shell reads as '%'). Under HKCU\Software\Classes:
//   SystemFileAssociations\<extension>\shell\SumbrookVerify
//   Directory\shell\SumbrookNewList
//   *\shell\SumbrookFile
// Nothing is written unless asked. Windows only.
#pragma once

#include <string>

namespace sumbrook {

// `program`: the full path of SumbrookVerify.exe, UTF-8. "" when done, else
// what failed, with the system's text.
std::string AddExplorerVerbs(const std::string& program);

// Removes both verbs and every key that adding them made, so that no key of
// the program is left; keys that hold anything else stay.
std::string RemoveExplorerVerbs();

}  // namespace sumbrook
