#include "files/FolderReach.h"

#include "files/ListPlainFilesTree.h"

namespace sumbrook {

FolderReach FolderReacher::Reach(std::string_view relative) {
    FolderReach reach = FolderReach::kThere;
    for (std::size_t end = 0; reach == FolderReach::kThere && end < relative.size();) {
        end = relative.find('/', end + 1);
        if (end == std::string_view::npos) end = relative.size();
        std::string step(relative.substr(0, end));
        const auto [known, added] = known_.try_emplace(step, FolderReach::kThere);
        if (added) known->second = LookAtFolderStep(PathInFolder(top_, step));
        reach = known->second;
    }
    return reach;
}

}  // namespace sumbrook
