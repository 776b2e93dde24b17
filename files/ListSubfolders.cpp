#include "files/ListSubfolders.h"

#include "files/FolderEntries.h"

namespace sumbrook {

SubfolderList ListSubfolders(const std::string& directory, bool hiddenToo) {
    SubfolderList list;
    const std::string prefix = FolderPrefix(directory);
    list.error = ForEachFolderEntry(directory, [&](const FolderEntry& entry) {
        if (!entry.subfolder || (entry.hidden && !hiddenToo)) return;
        std::string name(entry.name);
        std::string path = prefix + name;
        list.folders.push_back({std::move(name), std::move(path)});
    });
    if (!list.error.empty()) {
        list.folders.clear();
        return list;
    }
    list.ok = true;
    return list;
}

}  // namespace sumbrook
