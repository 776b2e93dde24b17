// Whether two paths name one and the same file.
#pragma once

#include <string>

namespace sumbrook {

// True when both paths can be opened and lead to the same file or folder (the same
// device and file number), whatever way each path names it. False when
// either cannot be reached.
bool SameFile(const std::string& first, const std::string& second);

}  // namespace sumbrook
