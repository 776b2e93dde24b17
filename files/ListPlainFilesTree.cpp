#include "files/ListPlainFilesTree.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "files/ListSubfolders.h"
#include "files/NameCompare.h"
#include "files/Utf8NameFold.h"

namespace sumbrook {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string Child(const std::string& relativeFolder, const std::string& name) {
    return relativeFolder.empty() ? name : relativeFolder + "/" + name;
}

// Adds the plain files of the folder at `path` (`relative` below the top);
// false when it cannot be listed.
bool AddFilesOf(const std::string& path, const std::string& relative, PlainFileTree& tree,
                std::string& error) {
    PlainFileList list = ListPlainFiles(path);
    if (!list.ok) {
        error = std::move(list.error);
        return false;
    }
    for (PlainFile& file : list.files) {
        file.name = Child(relative, file.name);
        tree.files.push_back(std::move(file));
    }
    return true;
}

// Whether the listing is to stop; tells the watcher what was found first.
bool Stopped(PlainFileTree& tree, const ListingControl* control) {
    if (control == nullptr) return false;
    if (control->Cancelled()) {
        tree.ok = false;
        tree.cancelled = true;
        return true;
    }
    if (control->found) control->found(tree.files.size());
    return false;
}

void SortByName(PlainFileTree& tree) {
    const auto byName = [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; };
    // One folder's listing comes sorted already.
    if (!std::is_sorted(tree.files.begin(), tree.files.end(), byName)) {
        std::sort(tree.files.begin(), tree.files.end(), byName);
    }
}

}  // namespace

std::string PathInFolder(const std::string& top, const std::string& relative) {
    std::string path = top;
    if (!relative.empty() && !path.empty() && path.back() != '/' && path.back() != kSeparator) {
        path += kSeparator;
    }
    for (const char c : relative) path += c == '/' ? kSeparator : c;
    return path;
}

PlainFileTree ListPlainFilesTree(const std::string& top, bool recursive,
                                 const ListingControl* control) {
    PlainFileTree tree;
    if (!AddFilesOf(top, "", tree, tree.error)) return tree;
    tree.ok = true;
    if (Stopped(tree, control)) return tree;
    // Folders still to list: their path and their relative path.
    std::vector<std::pair<std::string, std::string>> pending;
    if (recursive) pending.emplace_back(top, "");
    while (!pending.empty()) {
        const auto [path, relative] = std::move(pending.back());
        pending.pop_back();
        const SubfolderList subfolders = ListSubfolders(path);
        if (!subfolders.ok) {
            tree.faults.push_back({path, subfolders.error});
            continue;
        }
        for (const Subfolder& folder : subfolders.folders) {
            if (Stopped(tree, control)) return tree;
            const std::string childRelative = Child(relative, folder.name);
            std::string error;
            if (!AddFilesOf(folder.path, childRelative, tree, error)) {
                tree.faults.push_back({folder.path, std::move(error)});
                continue;
            }
            pending.emplace_back(folder.path, childRelative);
        }
    }
    SortByName(tree);
    return tree;
}

PlainFileTree ListPlainFilesOfFolders(const std::string& top,
                                      const std::vector<std::string>& folders,
                                      const ListingControl* control) {
    PlainFileTree tree;
    tree.ok = true;
    // Per folder reached (relative path, folded where names fold case): the
    // keys of its subfolders, or none when it could not be listed (a fault
    // already told).
    std::unordered_map<std::string, std::optional<std::unordered_set<std::string>>> reached;
    const auto subfoldersOf =
        [&](const std::string& relative) -> const std::optional<std::unordered_set<std::string>>& {
        const auto [found, added] = reached.try_emplace(NameKey(relative));
        if (!added) return found->second;
        const std::string path = relative.empty() ? top : PathInFolder(top, relative);
        SubfolderList list = ListSubfolders(path, true);
        if (!list.ok) {
            tree.faults.push_back({path, std::move(list.error)});
            return found->second;
        }
        std::unordered_set<std::string> names;
        for (const Subfolder& folder : list.folders) names.insert(NameKey(folder.name));
        return found->second = std::move(names);
    };
    for (const std::string& relative : folders) {
        if (Stopped(tree, control)) return tree;
        // Each folder on the way must be a subfolder of the one before, never
        // a link: a folder that is not there, or is reached through a link
        // or junction, adds nothing and is no fault.
        bool there = true;
        for (std::size_t end = 0; there && end != std::string::npos && !relative.empty();) {
            const std::size_t start = end == 0 ? 0 : end + 1;
            end = relative.find('/', start);
            const std::string parent = start == 0 ? std::string() : relative.substr(0, start - 1);
            const auto& subfolders = subfoldersOf(parent);
            there = subfolders &&
                    subfolders->count(NameKey(relative.substr(
                        start, end == std::string::npos ? std::string::npos : end - start))) != 0;
        }
        if (!there) continue;
        const std::string path = relative.empty() ? top : PathInFolder(top, relative);
        std::string error;
        if (!AddFilesOf(path, relative, tree, error)) tree.faults.push_back({path, error});
    }
    SortByName(tree);
    return tree;
}

}  // namespace sumbrook
