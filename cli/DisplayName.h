// Names as the command-line program shows them.
#pragma once

#include <string>

namespace sumbrook {

// `name` with every control byte written as \xNN, so that one file gives one
// line on a terminal.
std::string DisplayName(const std::string& name);

}  // namespace sumbrook
