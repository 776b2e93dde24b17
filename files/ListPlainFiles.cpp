#include <algorithm>

#include "files/ListPlainFiles.h"
#include "files/NameCompare.h"
#include "files/SameFile.h"

namespace sumbrook {

namespace {

#ifdef _WIN32
constexpr char kSeparators[] = "\\/:";
#else
constexpr char kSeparators[] = "/";
#endif

bool SameName(const std::string& a, const std::string& b) {
#ifdef _WIN32
    return NamesMatch(a, b);
#else
    return a == b;
#endif
}

}  // namespace

void LeaveOutFile(PlainFileList& list, const std::string& path) {
    const std::size_t separator = path.find_last_of(kSeparators);
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    const auto found =
        std::find_if(list.files.begin(), list.files.end(), [&](const PlainFile& file) {
            return SameName(file.name, name) && SameFile(file.path, path);
        });
    if (found != list.files.end()) list.files.erase(found);
}

}  // namespace sumbrook
