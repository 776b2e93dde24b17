#include "files/NameCompare.h"

namespace sumbrook {

char UpperCaseNameByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    if (value >= 'a' && value <= 'z') return static_cast<char>(value - 'a' + 'A');
    switch (value) {
        case 0x81:
            return static_cast<char>(0x9A);
        case 0x82:
            return static_cast<char>(0x90);
        case 0x84:
            return static_cast<char>(0x8E);
        case 0x86:
            return static_cast<char>(0x8F);
        case 0x87:
            return static_cast<char>(0x80);
        case 0x94:
            return static_cast<char>(0x99);
        case 0xA4:
            return static_cast<char>(0xA5);
        default:
            return byte;
    }
}

std::string UpperCaseName(std::string_view name) {
    std::string upper(name);
    for (char& byte : upper) byte = UpperCaseNameByte(byte);
    return upper;
}

bool NamesMatch(std::string_view typed, std::string_view found) {
    if (typed.size() != found.size()) return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        if (UpperCaseNameByte(typed[i]) != UpperCaseNameByte(found[i])) return false;
    }
    return true;
}

}  // namespace sumbrook
