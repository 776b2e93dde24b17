// How the command line, which works in UTF-8, compares names where the file
// system tells them apart only up to case. (The dialog's ANSI names keep the
// byte map of NameCompare.h.)
#pragma once

#include <string>
#include <string_view>

#include "files/NameCompare.h"
#include "files/PathSeparators.h"

namespace sumbrook {

// The key that two UTF-8 names share exactly when the file system takes
// them for one name. In the Windows build each UTF-16 unit of the Basic
// Multilingual Plane is upper-cased as the file system's upcase table does:
// "é" and "É" share a key, "ä" and "å" do not, and a surrogate pair is kept
// as it is ("𐐨" and "𐐀" are two names there). Elsewhere only a..z are upper-cased (the POSIX
// build folds no case; this serves its tests of the Windows rules).
std::string FoldedUtf8Name(std::string_view name);

// The key of `name` among file names: folded where names fold case
// (`foldCase`: this build's rule unless a test asks for the other), else the
// name itself.
inline std::string NameKey(std::string_view name, bool foldCase = kNamesFoldCase) {
    return foldCase ? FoldedUtf8Name(name) : std::string(name);
}

// Whether `relative` ('/' between its folders) and `path` (this build's
// separators) end in the same file name, as this build compares names.
inline bool SameLastName(std::string_view relative, std::string_view path) {
    const std::size_t folderEnd = relative.rfind('/');
    const std::size_t separator = LastPathSeparator(path);
    return NameKey(folderEnd == std::string_view::npos ? relative
                                                       : relative.substr(folderEnd + 1)) ==
           NameKey(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

}  // namespace sumbrook
