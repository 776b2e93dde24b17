#include "verify/NotAList.h"

#include <string_view>

#include "files/PathSeparators.h"
#include "lists/ListedPath.h"
#include "lists/WindowsDeviceName.h"
#include "platform/IsFolder.h"

namespace sumbrook {

std::string WhyNotAList(const std::string& path) {
    if (kThisPathSystem == PathSystem::kWindows) {
        std::string_view name = path;
        if (name.size() > 2 && name.back() == ':') name.remove_suffix(1);  // "COM1:"
        const std::size_t separator = LastPathSeparator(name);
        if (separator != std::string_view::npos) name.remove_prefix(separator + 1);
        if (IsWindowsDeviceName(name)) return "a device, not a list";
    }
    if (IsFolder(path)) return "a folder, not a list";
    return {};
}

}  // namespace sumbrook
