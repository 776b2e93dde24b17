// What --verify refuses to read as a list before it opens anything.
#pragma once

#include <string>

namespace sumbrook {

// Empty when the file at `path` may be read as a list; else why not: it is
// a folder, or (Windows) its name is a device's ("aux.sfv", "COM1"), which
// would open the device and wait on it, or (NUL) read as a list of nothing.
std::string WhyNotAList(const std::string& path);

}  // namespace sumbrook
