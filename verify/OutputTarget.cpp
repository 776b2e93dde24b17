#include "verify/OutputTarget.h"

#include "files/SameFile.h"
#include "platform/ReadOnlyFile.h"
#include "verify/DisplayName.h"

namespace sumbrook {

std::string OutputTargetFault(const std::string& target, const std::string& listPath,
                              const std::vector<std::string>& runFiles) {
    const FileIdentity identity = IdentityOf(target);
    if (identity.known) {
        if (!listPath.empty() && identity == IdentityOf(listPath)) {
            return "is the list being checked";
        }
        for (const std::string& file : runFiles) {
            if (identity == IdentityOf(file)) {
                return "is a file of the check (" + DisplayName(file) + ")";
            }
        }
    }
    if (IsReadOnlyFile(target)) return "is read-only";
    return std::string();
}

}  // namespace sumbrook
