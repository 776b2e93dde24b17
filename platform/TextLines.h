// Multi-line message texts as the platform shows them.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace sumbrook {

inline constexpr std::string_view kLineBreak = "\r\n";

// Joins the lines with CR LF; the last line gets no line break.
std::string JoinLines(std::initializer_list<std::string_view> lines);

}  // namespace sumbrook
