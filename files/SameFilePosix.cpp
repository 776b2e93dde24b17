#include <sys/stat.h>
#include <unistd.h>

#include "files/SameFile.h"

namespace sumbrook {

namespace {

FileIdentity IdentityOfStat(const struct stat& info) {
    FileIdentity identity;
    identity.known = true;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.number = static_cast<std::uint64_t>(info.st_ino);
    return identity;
}

}  // namespace

bool SameFile(const std::string& first, const std::string& second) {
    struct stat a {};
    struct stat b {};
    return stat(first.c_str(), &a) == 0 && stat(second.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? IdentityOfStat(info) : FileIdentity();
}

bool IsAnyOf(const std::string& path, const std::vector<FileIdentity>& identities) {
    const FileIdentity identity = IdentityOf(path);
    for (const FileIdentity& other : identities) {
        if (identity == other) return true;
    }
    return false;
}

FileIdentity IdentityOfStandardOutput() {
    struct stat info {};
    return fstat(STDOUT_FILENO, &info) == 0 && S_ISREG(info.st_mode) ? IdentityOfStat(info)
                                                                     : FileIdentity();
}

}  // namespace sumbrook
