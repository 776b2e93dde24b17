#include <windows.h>

#include "files/Utf8NameFold.h"
#include "platform/WideText.h"

namespace sumbrook {

namespace {

bool IsSurrogate(wchar_t unit) {
    return unit >= 0xD800 && unit <= 0xDFFF;
}

}  // namespace

std::string FoldedUtf8Name(std::string_view name) {
    const std::wstring wide = WideFromUtf8(name);
    if (wide.empty()) return std::string(name);
    std::wstring upper = wide;
    // The invariant simple upper case, one unit for one unit, of the units
    // of the Basic Multilingual Plane only: the file system's upcase table
    // has no others, so a surrogate pair (U+10428 and U+10400) is kept.
    for (std::size_t start = 0; start < wide.size();) {
        if (IsSurrogate(wide[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < wide.size() && !IsSurrogate(wide[end])) ++end;
        const int length = static_cast<int>(end - start);
        if (LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, wide.data() + start, length,
                         upper.data() + start, length) != length) {
            return std::string(name);
        }
        start = end;
    }
    return Utf8FromWide(upper);
}

}  // namespace sumbrook
