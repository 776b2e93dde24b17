// Names as the reports show them (the command line's lines, a saved report).
#pragma once

#include <string>

namespace sumbrook {

// `name` with every control byte written as \xNN, so that one file gives one
// line on a terminal.
std::string DisplayName(const std::string& name);

}  // namespace sumbrook
