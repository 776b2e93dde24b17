#include "verifier/KeyAdding.h"

#include "signature/KeyStore.h"
#include "signature/OpenPgpKey.h"
#include "verify/SignedFile.h"

namespace sumbrook {

KeyFileRead ReadKeyFileToAdd(const std::string& path) {
    KeyFileRead read;
    read.keys = ReadKeyFile(path, SecondsNow(), read.error);
    for (const CheckedCertificate& key : read.keys) {
        if (read.error.empty() && !key.fault.empty()) {
            read.error = FingerprintText(key.fingerprint, true) + ": " + key.fault;
        }
    }
    return read;
}

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

std::string AddKeys(const std::string& folder, const std::vector<CheckedCertificate>& keys,
                    const std::string& label) {
    if (folder.empty()) return "there is no folder for the key store (APPDATA is not set)";
    const std::size_t first = label.find_first_not_of(" \t");
    const std::string trimmed =
        first == std::string::npos ? std::string()
                                   : label.substr(first, label.find_last_not_of(" \t") - first + 1);
    for (const CheckedCertificate& key : keys) {
        std::string error = AddToKeyStore(folder, key, trimmed);
        if (!error.empty()) return error;
    }
    return {};
}

}  // namespace sumbrook
