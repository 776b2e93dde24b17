// The plain files directly in a directory, as the program counts them.
//   Windows: the entries of DIR that are neither a directory nor hidden nor
//   system, in the file system's order (the dialog's rule), read by their
//   UTF-16 names: names and paths are UTF-8, of any length.
//   Elsewhere: the regular files whose names do not start with a dot, and
//   symbolic links to regular files; links to directories and everything
//   else are left out. Sorted by name, byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "files/SameFile.h"

namespace sumbrook {

struct PlainFile {
    std::string name;           // as the directory holds it
    std::string path;           // the directory, a separator and the name
    std::string alternatePath;  // another path to the same file, "" if none
    // The file's size as the listing saw it, when `sized`: always on Windows,
    // where the listing tells it; on POSIX only for links (whose targets the
    // listing looks at). A reader goes by the size it finds at open.
    std::uint64_t size = 0;
    bool sized = false;
};

// A link among a folder's entries that leads to no file (POSIX: nothing
// there, a loop, a place it may not look into). It is no plain file, yet
// looks like one, so those who list files name it.
struct BrokenLink {
    std::string path;   // the folder, a separator and the link's name
    std::string error;  // why it leads nowhere
};

struct PlainFileList {
    bool ok = false;    // false: the directory could not be listed
    std::string error;  // why, when not ok
    std::vector<PlainFile> files;
    std::vector<BrokenLink> brokenLinks;  // by name, not hidden ones; never on Windows
};

PlainFileList ListPlainFiles(const std::string& directory);

// Takes the file at `path` out of `list` when it is one of the listed files
// (by name, then by identity): a protocol never lists or checks itself.
void LeaveOutFile(PlainFileList& list, const std::string& path);
// The same for files whose names may hold folders ("sub/a.txt"): the part
// after the last '/' is compared.
void LeaveOutFile(std::vector<PlainFile>& files, const std::string& path);

// Takes out of `files` every file that is one of `identities` (the same file
// by identity, whatever its name, a link to it too): the list being written
// never lists itself, also through a link or standard output.
void LeaveOutFiles(std::vector<PlainFile>& files, const std::vector<FileIdentity>& identities);

// The POSIX listing's rule for one name, apart from the file system: a name
// starting with a dot is never a plain file.
bool IsHiddenName(const std::string& name);

}  // namespace sumbrook
