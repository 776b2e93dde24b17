// Whether two paths name one and the same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sumbrook {

// True when both paths can be opened and lead to the same file or folder (the same
// device and file number), whatever way each path names it. False when
// either cannot be reached.
bool SameFile(const std::string& first, const std::string& second);

// Which file a path or a handle leads to: its device (volume) and file
// number; `known` false when that could not be told.
struct FileIdentity {
    bool known = false;
    std::uint64_t device = 0;
    std::uint64_t number = 0;
};

// Both known and the same file.
inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
    return a.known && b.known && a.device == b.device && a.number == b.number;
}

// The file at `path`, a link followed to the file it names.
FileIdentity IdentityOf(const std::string& path);

// Whether the file at `path` is one of `identities` (a link followed);
// false when it cannot be reached. Cheaper than IdentityOf for each of
// many files, on Windows where a volume's serial number is dear.
bool IsAnyOf(const std::string& path, const std::vector<FileIdentity>& identities);

// The file standard output writes to, when it is a file on a disk (not a
// terminal, pipe or device).
FileIdentity IdentityOfStandardOutput();

#ifdef _WIN32
// Whether the file open as the HANDLE `handle` is `identity`'s: its volume
// and file number, the volume asked only of a file whose number is the
// same, for a volume's serial number may cost more than the file's open and
// read together.
bool IsOpenFile(void* handle, const FileIdentity& identity);
#endif

}  // namespace sumbrook
