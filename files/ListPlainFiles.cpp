#include <algorithm>

#include "files/ListPlainFiles.h"
#include "files/NameCompare.h"
#include "files/PathSeparators.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"

namespace sumbrook {

namespace {

bool SameName(const std::string& a, const std::string& b) {
    return kNamesFoldCase ? FoldedUtf8Name(a) == FoldedUtf8Name(b) : a == b;
}

}  // namespace

void LeaveOutFile(PlainFileList& list, const std::string& path) {
    LeaveOutFile(list.files, path);
}

void LeaveOutFile(std::vector<PlainFile>& files, const std::string& path) {
    const std::size_t separator = LastPathSeparator(path);
    const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
    const auto found = std::find_if(files.begin(), files.end(), [&](const PlainFile& file) {
        const std::size_t folderEnd = file.name.rfind('/');
        const std::string ownName =
            folderEnd == std::string::npos ? file.name : file.name.substr(folderEnd + 1);
        return SameName(ownName, name) && SameFile(file.path, path);
    });
    if (found != files.end()) files.erase(found);
}

void LeaveOutFiles(std::vector<PlainFile>& files, const std::vector<FileIdentity>& identities) {
    if (std::none_of(identities.begin(), identities.end(),
                     [](const FileIdentity& identity) { return identity.known; })) {
        return;
    }
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const PlainFile& file) {
                                   const FileIdentity identity = IdentityOf(file.path);
                                   return std::find(identities.begin(), identities.end(),
                                                    identity) != identities.end();
                               }),
                files.end());
}

}  // namespace sumbrook
