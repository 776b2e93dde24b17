// Writes a whole text file so that a failed write never destroys what was
// there: the bytes go to a file beside it, which replaces the old one only
// once it is written whole. Windows only.
#pragma once

#include <string>

namespace sumbrook {

// `path` UTF-8, any length. "" when written, else what failed, in words.
std::string WriteWholeTextFile(const std::string& path, const std::string& bytes);

}  // namespace sumbrook
