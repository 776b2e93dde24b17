#include "lists/WindowsDeviceName.h"

#include <array>
#include <string>

namespace sumbrook {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// 1-9 and the superscripts ¹ ² ³ (U+00B9, U+00B2, U+00B3 in UTF-8).
bool IsPortNumber(std::string_view number) {
    if (number.size() == 1) return number[0] >= '1' && number[0] <= '9';
    return number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace

bool IsWindowsDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    const std::size_t end = base.find_last_not_of(' ');
    base = base.substr(0, end == std::string_view::npos ? 0 : end + 1);
    std::string upper;
    for (const char c : base) upper += Upper(c);
    static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                                 "NUL", "CONIN$", "CONOUT$"};
    for (const std::string_view device : kDevices) {
        if (upper == device) return true;
    }
    const std::string_view name(upper);
    return (name.substr(0, 3) == "COM" || name.substr(0, 3) == "LPT") &&
           IsPortNumber(name.substr(3));
}

}  // namespace sumbrook
