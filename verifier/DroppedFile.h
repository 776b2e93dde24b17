// What a file dropped on the window of lists is taken for: a list is
// judged by what it holds, as --verify judges it, never by a name that
// merely contains "SUMS" or "CHECKSUM" (possums.iso is no list).
#pragma once

#include <cstddef>
#include <string_view>

namespace sumbrook {

// The most bytes of a file's start looked at.
inline constexpr std::size_t kDroppedFileLook = 4096;

// Whether a file that starts with `head` (its first kDroppedFileLook bytes,
// or all of it) reads as a list: text (UTF-8, or UTF-16 with its mark)
// whose first line that is not blank nor a comment is a protocol's start,
// a clear-signed frame, a tag line, a sum line or an SFV line.
bool ReadsAsList(std::string_view head);

}  // namespace sumbrook
