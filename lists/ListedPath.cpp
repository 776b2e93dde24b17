#include "lists/ListedPath.h"

#include <array>

namespace sumbrook {

namespace {

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9 and LPT1-9 before the first dot, blanks after
// them ignored, as Windows matches its device names.
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
    return upper.size() == 4 &&
           (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
           upper[3] >= '1' && upper[3] <= '9';
}

// Why `component` (not empty, not "." or "..") cannot be part of a path.
std::string ComponentFault(std::string_view component) {
    for (const char c : component) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) return "the name holds a control byte";
    }
    const std::string quoted = "\"" + std::string(component) + "\"";
    if (component.find(':') != std::string_view::npos) {
        return quoted + " holds ':', which names a drive or a data stream on Windows";
    }
    if (component.find_first_not_of(". ") == std::string_view::npos) {
        return quoted + " is only dots and blanks, which Windows reads as \".\" or \"..\"";
    }
    if (IsWindowsDeviceName(component)) return quoted + " is a device on Windows, not a file";
    return {};
}

ListedPath Refused(std::string error) {
    ListedPath result;
    result.error = std::move(error);
    return result;
}

}  // namespace

ListedPath ResolveListedPath(std::string_view name) {
    if (name.empty()) return Refused("the name is empty");
    if (IsSeparator(name.front())) {
        return Refused("the name is an absolute path; only paths inside the folder are checked");
    }
    if (name.size() >= 2 && name[1] == ':') {
        return Refused("the name starts with a drive; only paths inside the folder are checked");
    }
    ListedPath result;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end])) ++end;
        const std::string_view component = name.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (result.components.empty()) return Refused("\"..\" leads out of the folder");
            result.components.pop_back();
            continue;
        }
        std::string fault = ComponentFault(component);
        if (!fault.empty()) return Refused(std::move(fault));
        result.components.emplace_back(component);
    }
    if (result.components.empty()) return Refused("the name leaves no file name");
    result.ok = true;
    return result;
}

std::string JoinListedPath(const std::vector<std::string>& components, char separator) {
    std::string path;
    for (const std::string& component : components) {
        if (!path.empty()) path += separator;
        path += component;
    }
    return path;
}

}  // namespace sumbrook
