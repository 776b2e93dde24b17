#include "app/PathSplit.h"

#include <algorithm>

namespace sumbrook {

SplitPath SplitChosenPath(const std::string& path) {
    // The search runs from the second-to-last character back to the third, so
    // a trailing backslash and the "\\" that opens a network path are never
    // taken for the separator.
    if (path.size() >= 3) {
        for (std::size_t i = path.size() - 2; i >= 2; --i) {
            if (path[i] == '\\') return {path.substr(0, i), path.substr(i + 1)};
        }
    }
    return {std::string(), path};
}

std::string WithoutTrailingBackslash(std::string directory) {
    if (!directory.empty() && directory.back() == '\\') directory.pop_back();
    return directory;
}

std::string FilterList(const std::string& filterText) {
    std::string list = filterText;
    std::replace(list.begin(), list.end(), '|', '\0');
    list.push_back('\0');
    return list;  // c_str() adds the NUL that ends the last text
}

}  // namespace sumbrook
