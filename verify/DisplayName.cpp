#include "verify/DisplayName.h"

#include <algorithm>

namespace sumbrook {

void AppendDisplayName(std::string& out, std::string_view name) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto control = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    };
    // The bytes between control bytes (nearly always the whole name) go in at once.
    for (auto at = name.begin(); at != name.end();) {
        const auto next = std::find_if(at, name.end(), control);
        out.append(at, next);
        if (next == name.end()) break;
        const auto byte = static_cast<unsigned char>(*next);
        out += "\\x";
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
        at = next + 1;
    }
}

std::string DisplayName(const std::string& name) {
    std::string shown;
    shown.reserve(name.size());
    AppendDisplayName(shown, name);
    return shown;
}

}  // namespace sumbrook
