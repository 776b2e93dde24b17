#include "files/ListPlainFilesTree.h"

#include <algorithm>
#include <utility>

#include "platform/SystemErrorText.h"

namespace sumbrook {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// The entries listed between two looks at a listing's control.
constexpr std::size_t kEntriesPerLook = 4096;

// Thrown out of a folder's listing (whose handles have owners) when its
// control's flag is set, and caught by the walk.
struct WalkStopped {};

std::string Child(const std::string& relativeFolder, std::string_view name) {
    std::string child = relativeFolder;
    if (!child.empty()) child += '/';
    child += name;
    return child;
}

// Keeps the plain files, and the faults of the folders below the top.
class PlainFileCollector : public FolderTreeVisitor {
  public:
    explicit PlainFileCollector(PlainFileTree& tree) : tree_(tree) {}

    void Entry(const std::string& folder, const std::string& folderPath,
               const FolderEntry& entry) override {
        if (entry.brokenLinkError != 0) {
            std::string path = FolderPrefix(folderPath);
            path += entry.name;
            tree_.brokenLinks.push_back(
                {std::move(path),
                 SystemErrorText(static_cast<unsigned long>(entry.brokenLinkError))});
        }
        if (!entry.plainFile) return;
        PlainFile file;
        file.name = Child(folder, entry.name);
        file.path = FolderPrefix(folderPath);
        file.path += entry.name;
        file.size = entry.size;
        file.sized = entry.sized;
        tree_.files.push_back(std::move(file));
    }
    void FolderDone(const std::string& folder, const std::string& folderPath, bool listed,
                    const std::string& error) override {
        if (listed) return;
        if (folder.empty()) {
            tree_.error = error;
            tree_.files.clear();
        } else {
            tree_.faults.push_back({folderPath, error});
        }
    }

  private:
    PlainFileTree& tree_;
};

}  // namespace

std::string PathInFolder(const std::string& top, const std::string& relative) {
    std::string path = top;
    if (!relative.empty() && !path.empty() && path.back() != '/' && path.back() != kSeparator) {
        path += kSeparator;
    }
    for (const char c : relative) path += c == '/' ? kSeparator : c;
    return path;
}

bool WalkFolderTree(const std::string& top, bool recursive, FolderTreeVisitor& visitor,
                    const ListingControl* control) {
    // Folders still to list: their path and their relative path.
    std::vector<std::pair<std::string, std::string>> pending;
    pending.emplace_back(top, "");
    std::vector<std::string> subfolders;
    std::size_t entries = 0;
    std::size_t plainFiles = 0;
    // Whether the control's flag ends the walk; tells it what was found.
    const auto stop = [&] {
        if (control == nullptr) return false;
        if (control->Cancelled()) return true;
        if (control->found) control->found(plainFiles);
        return false;
    };
    while (!pending.empty()) {
        if (stop()) return true;
        const std::string path = std::move(pending.back().first);
        const std::string relative = std::move(pending.back().second);
        pending.pop_back();
        subfolders.clear();
        std::string error;
        try {
            error = ForEachFolderEntry(path, [&](const FolderEntry& entry) {
                // A folder of a million entries is left in the middle.
                if (++entries % kEntriesPerLook == 0 && stop()) throw WalkStopped();
                if (entry.plainFile) ++plainFiles;
                if (recursive && entry.subfolder && !entry.hidden) {
                    subfolders.emplace_back(entry.name);
                }
                visitor.Entry(relative, path, entry);
            });
        } catch (const WalkStopped&) {
            return true;
        }
        visitor.FolderDone(relative, path, error.empty(), error);
        if (!error.empty()) {
            if (relative.empty()) return false;
            continue;
        }
        const std::string prefix = FolderPrefix(path);
        for (const std::string& name : subfolders)
            pending.emplace_back(prefix + name, Child(relative, name));
    }
    return true;
}

PlainFileTree ListPlainFilesTree(const std::string& top, bool recursive,
                                 const ListingControl* control) {
    PlainFileTree tree;
    PlainFileCollector collector(tree);
    if (!WalkFolderTree(top, recursive, collector, control)) return tree;
    if (control != nullptr && control->Cancelled()) {
        tree.cancelled = true;
        tree.files.clear();
        return tree;
    }
    tree.ok = true;
    const auto byName = [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; };
    // One folder's listing comes sorted already.
    if (!std::is_sorted(tree.files.begin(), tree.files.end(), byName)) {
        std::sort(tree.files.begin(), tree.files.end(), byName);
    }
    std::sort(tree.brokenLinks.begin(), tree.brokenLinks.end(),
              [](const BrokenLink& a, const BrokenLink& b) { return a.path < b.path; });
    return tree;
}

}  // namespace sumbrook
