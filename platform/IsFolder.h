// Whether a path names a folder.
#pragma once

#include <string>

namespace sumbrook {

// True when the UTF-8 `path` names an existing folder (through links).
bool IsFolder(const std::string& path);

}  // namespace sumbrook
