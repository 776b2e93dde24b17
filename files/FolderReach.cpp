#include "files/FolderReach.h"

#include "files/ListPlainFilesTree.h"

namespace sumbrook {

FolderReach FolderReacher::Reach(std::string_view relative) {
    FolderReach reach = FolderReach::kThere;
    for (std::size_t end = 0; reach == FolderReach::kThere && end < relative.size();) {
        end = relative.find('/', end + 1);
        if (end == std::string_view::npos) end = relative.size();
        std::string step(relative.substr(0, end));
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            const auto known = known_.find(step);
            if (known != known_.end()) {
                reach = known->second;
                continue;
            }
        }
        const FolderReach looked = LookAtFolderStep(PathInFolder(top_, step));
        const std::lock_guard<std::mutex> lock(mutex_);
        reach = known_.try_emplace(std::move(step), looked).first->second;
    }
    return reach;
}

}  // namespace sumbrook
