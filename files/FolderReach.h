// How a folder inside a top folder is reached, told by looking at each
// folder on the way without listing any: a folder that may be passed but
// not read does not stop the way to the folders below it.
#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace sumbrook {

enum class FolderReach {
    kThere,        // through folders only (hidden ones too), never a link or junction
    kNotThere,     // nothing of that name on the way, or a file: opening anything
                   // inside finds nothing
    kThroughLink,  // a symbolic link, junction or mount point on the way or at the end
    kUnknown,      // cannot be told (a folder on the way that may not be passed)
};

// What a look at the path tells of one step: a folder, a link (or reparse
// point), nothing there (or a file), or a failure to look.
FolderReach LookAtFolderStep(const std::string& path);

// Reaches folders below `top`, remembering each folder on the way, so that
// the folders of a list of a million files cost a look each. Reach may be
// called from several threads at once; two of them may look at the same
// step, and the first answer is the one kept.
class FolderReacher {
  public:
    explicit FolderReacher(std::string top) : top_(std::move(top)) {}

    // `relative`: '/' between folders, "" for the top itself (kThere).
    FolderReach Reach(std::string_view relative);

  private:
    std::string top_;
    std::mutex mutex_;  // guards known_; no look is taken under it
    std::unordered_map<std::string, FolderReach> known_;
};

}  // namespace sumbrook
