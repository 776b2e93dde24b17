// Names as the reports show them (the command line's lines, a saved report).
#pragma once

#include <string>
#include <string_view>

namespace sumbrook {

// `name` with every control byte written as \xNN, so that one file gives one
// line on a terminal.
std::string DisplayName(const std::string& name);
// Appends DisplayName(name) to `out`.
void AppendDisplayName(std::string& out, std::string_view name);

}  // namespace sumbrook
