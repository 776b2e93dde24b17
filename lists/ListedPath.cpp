#include "lists/ListedPath.h"

#include "lists/WindowsDeviceName.h"

namespace sumbrook {

namespace {

bool IsSeparator(char c, bool backslashSeparates = true) {
    return c == '/' || (c == '\\' && backslashSeparates);
}

// Why `component` (not empty, not "." or "..") cannot be part of a path on
// `system`; `cannotBeHeld` tells a name that system cannot hold from a
// refused one.
std::string ComponentFault(std::string_view component, PathSystem system, ControlBytes control,
                           bool& cannotBeHeld) {
    bool controlByte = false;
    for (const char c : component) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0 || (control == ControlBytes::kRefused && (byte < 0x20 || byte == 0x7F))) {
            return "the name holds a control byte";
        }
        controlByte = controlByte || byte < 0x20;
    }
    if (system != PathSystem::kWindows) return {};
    if (controlByte) {
        cannotBeHeld = true;
        return "a name Windows cannot hold: it holds a control byte";
    }
    const auto quoted = [component] { return "\"" + std::string(component) + "\""; };
    cannotBeHeld = true;
    // Never opened: Win32 would drop it, or read it as "." or "..".
    if (component.find_first_not_of(". ") == std::string_view::npos) {
        return "a name Windows cannot hold: " + quoted() +
               " is only dots and blanks, which Windows reads as \".\" or \"..\"";
    }
    if (component.find(':') != std::string_view::npos) {
        return "a name Windows cannot hold: " + quoted() +
               " holds ':', which names a drive or a data stream on Windows";
    }
    if (IsWindowsDeviceName(component)) {
        return "a name Windows cannot hold: " + quoted() + " is a device on Windows, not a file";
    }
    cannotBeHeld = false;
    return {};
}

ListedPath Refused(std::string error) {
    ListedPath result;
    result.error = std::move(error);
    return result;
}

}  // namespace

ListedPath ResolveListedPath(std::string_view name, PathSystem system, ControlBytes control,
                             bool backslashSeparates) {
    backslashSeparates = backslashSeparates || system == PathSystem::kWindows;
    if (name.empty()) return Refused("the name is empty");
    if (IsSeparator(name.front(), backslashSeparates)) {
        return Refused("the name is an absolute path; only paths inside the folder are checked");
    }
    const bool letterFirst =
        (name[0] >= 'a' && name[0] <= 'z') || (name[0] >= 'A' && name[0] <= 'Z');
    if (name.size() >= 2 && letterFirst && name[1] == ':') {
        return Refused("the name starts with a drive; only paths inside the folder are checked");
    }
    ListedPath result;
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t end = start;
        while (end < name.size() && !IsSeparator(name[end], backslashSeparates)) ++end;
        std::string_view component = name.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") {
            if (result.components.empty()) return Refused("\"..\" leads out of the folder");
            result.components.pop_back();
            continue;
        }
        bool cannotBeHeld = false;
        std::string fault = ComponentFault(component, system, control, cannotBeHeld);
        if (!fault.empty()) {
            ListedPath refused = Refused(std::move(fault));
            refused.cannotBeHeld = cannotBeHeld;
            return refused;
        }
        // Win32 drops the dots and blanks a name ends in: "b.txt." is "b.txt".
        if (system == PathSystem::kWindows) {
            component = component.substr(0, component.find_last_not_of(". ") + 1);
        }
        result.components.emplace_back(component);
    }
    if (result.components.empty()) return Refused("the name leaves no file name");
    result.ok = true;
    return result;
}

std::string JoinListedPath(const std::vector<std::string_view>& components, char separator) {
    std::string path;
    for (const std::string_view component : components) {
        if (!path.empty()) path += separator;
        path += component;
    }
    return path;
}

}  // namespace sumbrook
