#include "verify/DisplayName.h"

namespace sumbrook {

std::string DisplayName(const std::string& name) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
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
