// The text that Info Help shows.
#pragma once

#include <string>

namespace sumbrook {

inline constexpr char kInfoHelpTitle[] = " Info - Help";

// The nineteen lines of the help text, joined with CR LF; line 13 is the
// temporary directory where the protocol file goes.
std::string InfoHelpText(const std::string& tempDirectory);

}  // namespace sumbrook
