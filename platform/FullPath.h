// The full form of a path the user typed, so that it names the same place
// from any current directory.
#pragma once

#include <string>

namespace sumbrook {

// The absolute form of the UTF-8 `path` of an existing file or folder: on
// Windows as GetFullPathNameW makes it ("C:\Data\Samples", no trailing
// backslash but a root's, never in the extended-length form), elsewhere as realpath resolves it
// (links followed). `path` itself when that cannot be had.
std::string FullPathOf(const std::string& path);

}  // namespace sumbrook
