// Where a path of this build separates its folders.
#pragma once

#include <cstddef>
#include <string_view>

namespace sumbrook {

// The characters that end a folder in a path: "/" everywhere, and on Windows
// also "\" and the ":" of a drive.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "\\/:";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// The position of the last separator in `path`, or npos for a bare name.
inline std::size_t LastPathSeparator(std::string_view path) {
    return path.find_last_of(kPathSeparators);
}

}  // namespace sumbrook
