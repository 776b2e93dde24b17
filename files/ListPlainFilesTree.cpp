#include "files/ListPlainFilesTree.h"

#include <algorithm>

#include "files/ListSubfolders.h"

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

PlainFileTree ListPlainFilesTree(const std::string& top, bool recursive) {
    PlainFileTree tree;
    if (!AddFilesOf(top, "", tree, tree.error)) return tree;
    tree.ok = true;
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
                                      const std::vector<std::string>& folders) {
    PlainFileTree tree;
    tree.ok = true;
    for (const std::string& relative : folders) {
        const std::string path = relative.empty() ? top : PathInFolder(top, relative);
        std::string error;
        if (!AddFilesOf(path, relative, tree, error)) tree.faults.push_back({path, error});
    }
    SortByName(tree);
    return tree;
}

}  // namespace sumbrook
