// Every entry of one folder, one at a time, as the program sorts them: the
// plain files (ListPlainFiles.h's rule), the subfolders a tree listing may
// enter, and the rest. A listing of a million entries costs no memory for
// the entries themselves: each is handed over and forgotten.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace sumbrook {

struct FolderEntry {
    std::string_view name;  // as the folder holds it (UTF-8 on Windows)
    // ListPlainFiles's rule: never a hidden entry.
    bool plainFile = false;
    // A folder itself, never a link, junction or mount point; hidden ones
    // too (see `hidden`).
    bool subfolder = false;
    // A name starting with a dot (POSIX); the hidden or system attribute
    // (Windows).
    bool hidden = false;
    // The size when the listing tells it (Windows: always; POSIX: for links,
    // whose targets are looked at).
    std::uint64_t size = 0;
    bool sized = false;
    // A link, not hidden, that leads to no file (POSIX: nothing there, a
    // loop, a place it may not look into): errno of the look, else 0.
    int brokenLinkError = 0;
};

// An entry kept past its listing, its name with it.
struct HeldFolderEntry {
    explicit HeldFolderEntry(const FolderEntry& listed) : name(listed.name), entry(listed) {}
    // The entry, named by `name` wherever this has been moved.
    const FolderEntry& Entry() {
        entry.name = name;
        return entry;
    }

    std::string name;
    FolderEntry entry;
};

// Calls `visit` for each entry of `folder` ("." and ".." left out; POSIX:
// "" is the current folder) in the order the file system reports them.
// Returns "" when every entry was read, else the system's words for why the
// folder could not be read (entries visited before the failure stand).
std::string ForEachFolderEntry(const std::string& folder,
                               const std::function<void(const FolderEntry&)>& visit);

// "" when `folder` names a folder (through links), else the system's words
// for why not ("Not a directory" for a file).
std::string WhyNotAFolder(const std::string& folder);

// `folder` and a separator to put a name after; nothing is added where the
// folder ends in one already (or, on Windows, is a drive's current folder
// "C:"), so that "\\?\C:\dir\" + name stays a valid path. "" stays "".
std::string FolderPrefix(const std::string& folder);

}  // namespace sumbrook
