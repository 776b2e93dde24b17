// Whether a file is marked read-only, so that a writer refuses to replace it.
#pragma once

#include <string>

namespace sumbrook {

// True when the file at the UTF-8 `path` (a link followed) is there and read-only:
// the read-only attribute on Windows, no write permission for anyone
// elsewhere (which the superuser could override, but a writer respects).
bool IsReadOnlyFile(const std::string& path);

}  // namespace sumbrook
