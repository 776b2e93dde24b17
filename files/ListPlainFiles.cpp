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
    LeaveOutFile(list.files, path);
}

void LeaveOutFile(std::vector<PlainFile>& files, const std::string& path) {
    const std::size_t separator = path.find_last_of(kSeparators);
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    const auto found = std::find_if(files.begin(), files.end(), [&](const PlainFile& file) {
        const std::size_t folderEnd = file.name.rfind('/');
        const std::string ownName =
            folderEnd == std::string::npos ? file.name : file.name.substr(folderEnd + 1);
        return SameName(ownName, name) && SameFile(file.path, path);
    });
    if (found != files.end()) files.erase(found);
}

}  // namespace sumbrook
