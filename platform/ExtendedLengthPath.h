// The extended-length form of a full Windows path ("\\?\C:\..." and
// "\\?\UNC\server\share\..."), which the ...W calls accept up to 32,767
// characters long. Pure text: no system call, so it builds everywhere.
#pragma once

#include <string>

namespace sumbrook {

// Paths from this length on need the extended-length form; shorter ones are
// left as they are, so that they behave exactly as the user typed them.
inline constexpr std::size_t kExtendedLengthFrom = 248;

// `fullPath` (absolute, with backslashes, "." and ".." already resolved, as
// GetFullPathNameW gives it) in the extended-length form when it is at least
// kExtendedLengthFrom characters long and a drive or UNC path; any other
// path, and one already in that form or naming a device ("\\.\"), unchanged.
std::wstring ExtendedLengthPath(std::wstring fullPath);

}  // namespace sumbrook
