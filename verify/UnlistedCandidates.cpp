#include "verify/UnlistedCandidates.h"

#include <algorithm>

#include "files/PathSeparators.h"

namespace sumbrook {

std::string FolderOf(const std::string& path) {
    const std::size_t separator = LastPathSeparator(path);
    if (separator == std::string::npos) return ".";
    std::string folder = path.substr(0, separator);
    if (folder.empty() || folder.back() == ':' || path[separator] == ':') {
        return path.substr(0, separator + 1);
    }
    return folder;
}

std::vector<PlainFile> CandidateFiles(PlainFileTree& top, const std::string& directory,
                                      const std::vector<std::string>& folders, bool recursive,
                                      const ListingControl* control) {
    std::vector<PlainFile> files;
    const bool topListed = std::find(folders.begin(), folders.end(), "") != folders.end();
    if (recursive || topListed) files = std::move(top.files);
    std::vector<std::string> others;
    for (const std::string& folder : folders) {
        if (!folder.empty()) others.push_back(folder);
    }
    if (others.empty()) return files;  // sorted, each once
    PlainFileTree inFolders = ListPlainFilesOfFolders(directory, others, control);
    if (inFolders.cancelled) {
        top.cancelled = true;
        return {};
    }
    for (FolderFault& fault : inFolders.faults) {
        const auto told = [&](const FolderFault& other) { return other.path == fault.path; };
        if (std::none_of(top.faults.begin(), top.faults.end(), told)) {
            top.faults.push_back(std::move(fault));
        }
    }
    for (PlainFile& file : inFolders.files) files.push_back(std::move(file));
    const auto byName = [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; };
    std::stable_sort(files.begin(), files.end(), byName);
    files.erase(
        std::unique(files.begin(), files.end(),
                    [](const PlainFile& a, const PlainFile& b) { return a.name == b.name; }),
        files.end());
    return files;
}

}  // namespace sumbrook
