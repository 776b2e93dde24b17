// Telling that a folder is not there without opening each path inside it.
#pragma once

#include <string>

namespace sumbrook {

// The system error that opening any path inside `folder` gives when no
// folder is there (POSIX: ENOENT, or ENOTDIR when something else stands
// there; Windows: ERROR_PATH_NOT_FOUND), or 0 when a folder may be there or
// that cannot be told: then its files must be opened to be judged.
unsigned long ErrorOpeningInside(const std::string& folder);

}  // namespace sumbrook
