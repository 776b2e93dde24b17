#include <algorithm>

#include "files/ListPlainFiles.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"

namespace sumbrook {

void LeaveOutFile(PlainFileList& list, const std::string& path) {
    LeaveOutFile(list.files, path);
}

void LeaveOutFile(std::vector<PlainFile>& files, const std::string& path) {
    const auto found = std::find_if(files.begin(), files.end(), [&](const PlainFile& file) {
        return SameLastName(file.name, path) && SameFile(file.path, path);
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
