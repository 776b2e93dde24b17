// Whether two paths name one and the same file.
#pragma once

#include <cstdint>
#include <string>

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

// The file standard output writes to, when it is a file on a disk (not a
// terminal, pipe or device).
FileIdentity IdentityOfStandardOutput();

#ifdef _WIN32
// The file open as the HANDLE `handle`.
FileIdentity IdentityOfOpenFile(void* handle);
#endif

}  // namespace sumbrook
