#include <windows.h>

#include "files/Utf8NameFold.h"
#include "platform/WideText.h"

namespace sumbrook {

std::string FoldedUtf8Name(std::string_view name) {
    std::wstring wide = WideFromUtf8(name);
    if (wide.empty()) return std::string(name);
    // The invariant simple upper case, one unit for one unit: the map the
    // file system's ordinal case-blind comparison uses.
    std::wstring upper(wide.size(), L'\0');
    const int length =
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data(), static_cast<int>(wide.size()),
                     upper.data(), static_cast<int>(upper.size()));
    if (length <= 0) return std::string(name);
    upper.resize(static_cast<std::size_t>(length));
    return Utf8FromWide(upper);
}

}  // namespace sumbrook
