// What a name reported by a directory search says about itself.
#pragma once

#include <string_view>

namespace sumbrook {

// False when `name` holds a byte that no stored file name can hold: a control
// character or one of \ / : * ? " < > |. The ANSI functions of the platform
// report a long name that the code page cannot represent with "?" or with a
// similar-looking character put in place of the missing ones, so such a name
// does not name the entry it came from.
bool CanBeStoredName(std::string_view name);

}  // namespace sumbrook
