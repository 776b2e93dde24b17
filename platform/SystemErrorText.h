// The system's own words for an error number (errno, or GetLastError in the
// Windows build), in UTF-8, without a trailing full stop or line break.
#pragma once

#include <string>

namespace sumbrook {

std::string SystemErrorText(unsigned long code);

}  // namespace sumbrook
