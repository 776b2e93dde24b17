// The names by which the program knows a checksum list on the shelf, for
// the Explorer verbs and the open dialog's filters: the SFV extension, then
// every kind's list extensions in table order (DigestKindTable.h), and the
// *SUMS names publishers give their lists, which only a pattern catches.
#pragma once

#include <string>
#include <vector>

namespace sumbrook {

// The extension of an SFV list, without the dot.
inline constexpr char kSfvListExtension[] = "sfv";

// ".sfv", then each row's listExtensions with the dot, each once: one
// Explorer verb each.
std::vector<std::string> ListFileExtensions();

// The open dialog's pattern of every list: "*.sfv;*.md5;...;*SUMS".
std::string ListFilePatterns();

// The open dialog's name for ListFilePatterns: "Checksum lists (*.sfv,
// ..., *SUMS)", with the extension of every list New list makes.
std::string ListFilterLabel();

}  // namespace sumbrook
