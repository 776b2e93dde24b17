// Turning the full path that the open-file dialog hands back into the
// directory text and the file text of the main dialog.
#pragma once

#include <string>

namespace sumbrook {

struct SplitPath {
    std::string directory;  // without a trailing backslash: C:\Work, C:, \\server\share
    std::string file;       // the bare file name
};

// Splits at the last backslash at or after the third character. The dialog
// only returns full paths (drive, colon and backslash, or \\server\share\...),
// which always have one there; any other text comes back whole as the file.
SplitPath SplitChosenPath(const std::string& path);

// The directory text with one trailing backslash removed (D:\data\ -> D:\data,
// C:\ -> C:); any other text unchanged.
std::string WithoutTrailingBackslash(std::string directory);

// The filter text "description|pattern|..." as the open-file dialog takes it:
// every "|" replaced by NUL, and one more NUL at the end.
std::string FilterList(const std::string& filterText);

}  // namespace sumbrook
