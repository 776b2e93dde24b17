#include "verify/DisplayName.h"

#include <algorithm>

namespace sumbrook {

std::string DisplayName(const std::string& name) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const auto control = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    };
    // Nearly every name is shown as it is.
    const auto first = std::find_if(name.begin(), name.end(), control);
    if (first == name.end()) return name;
    std::string shown(name.begin(), first);
    shown.reserve(name.size() + 3);
    for (auto at = first; at != name.end(); ++at) {
        const char c = *at;
        const auto byte = static_cast<unsigned char>(c);
        if (control(c)) {
            shown += "\\x";
            shown += kDigits[byte >> 4];
            shown += kDigits[byte & 0xF];
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace sumbrook
