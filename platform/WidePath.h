// The path that the ...W calls are given for a UTF-8 path. Windows only.
#pragma once

#include <string>

namespace sumbrook {

// `path` (UTF-8, as the user gave it) made full against the current
// directory and, when long, put in the extended-length form, so that paths
// of any length open. The user never types or sees the prefix. "" stays "".
std::wstring WidePath(const std::string& path);

}  // namespace sumbrook
