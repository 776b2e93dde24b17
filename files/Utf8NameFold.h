// How the command line, which works in UTF-8, compares names where the file
// system tells them apart only up to case. (The dialog's ANSI names keep the
// byte map of NameCompare.h.)
#pragma once

#include <string>
#include <string_view>

namespace sumbrook {

// The key that two UTF-8 names share exactly when the file system takes
// them for one name. In the Windows build each UTF-16 unit is upper-cased
// as CompareStringOrdinal(..., TRUE) compares them: "é" and "É" share a
// key, "ä" and "å" do not. Elsewhere only a..z are upper-cased (the POSIX
// build folds no case; this serves its tests of the Windows rules).
std::string FoldedUtf8Name(std::string_view name);

}  // namespace sumbrook
