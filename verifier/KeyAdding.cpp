#include "verifier/KeyAdding.h"

#include "signature/KeyStore.h"
#include "signature/OpenPgpKey.h"

namespace sumbrook {

std::string KeyConfirmationText(const std::string& path,
                                const std::vector<CheckedCertificate>& keys) {
    std::string text = "Add the key" + std::string(keys.size() == 1 ? "" : "s") + " of " + path +
                       "?\n\nCompare the fingerprint with the one the publisher shows on its "
                       "own page (not a page the list came with):\n";
    for (const CheckedCertificate& key : keys) {
        text += "\n" + FingerprintText(key.fingerprint, true) + "\n";
        for (const std::string& userId : key.userIds) text += "    " + userId + "\n";
        if (!key.fault.empty()) text += "    (not usable: " + key.fault + ")\n";
    }
    return text;
}

std::string SuggestedLabel(const CheckedCertificate& key) {
    if (key.userIds.empty()) return {};
    const std::string& userId = key.userIds.front();
    const std::size_t mail = userId.find(" <");
    return mail == std::string::npos || mail == 0 ? userId : userId.substr(0, mail);
}

std::string AddKeys(const std::string& folder, const std::vector<CheckedCertificate>& keys) {
    if (folder.empty()) return "there is no folder for the key store (APPDATA is not set)";
    for (const CheckedCertificate& key : keys) {
        std::string error = AddToKeyStore(folder, key, SuggestedLabel(key));
        if (!error.empty()) return error;
    }
    return {};
}

}  // namespace sumbrook
