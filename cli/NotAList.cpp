#include "cli/NotAList.h"

#include <string_view>

#include "files/PathSeparators.h"
#include "lists/ListedPath.h"
#include "lists/WindowsDeviceName.h"
#include "platform/IsFolder.h"

namespace sumbrook {

namespace {

bool IsNulDevice(std::string_view component) {
    const std::string_view stem = component.substr(0, component.find_first_of(". "));
    return stem.size() == 3 && (stem[0] | 0x20) == 'n' && (stem[1] | 0x20) == 'u' &&
           (stem[2] | 0x20) == 'l';
}

}  // namespace

std::string WhyNotAList(const std::string& path) {
    if (kThisPathSystem == PathSystem::kWindows) {
        std::string_view name = path;
        if (name.size() > 2 && name.back() == ':') name.remove_suffix(1);  // "COM1:"
        const std::size_t separator = LastPathSeparator(name);
        if (separator != std::string_view::npos) name.remove_prefix(separator + 1);
        // NUL reads as empty at once: a list that names no file, refused
        // as such when read.
        if (IsWindowsDeviceName(name) && !IsNulDevice(name)) return "a device, not a list";
    }
    if (IsFolder(path)) return "a folder, not a list";
    return {};
}

}  // namespace sumbrook
