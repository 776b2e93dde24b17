// A file to read, by its path and the other path that may name it.
#pragma once

#include <string>

namespace sumbrook {

// A file to read: `path`, and `alternatePath` (the same file by its short
// name; "" for none) for when `path` names no file.
struct FileToRead {
    std::string path;
    std::string alternatePath;
};

}  // namespace sumbrook
