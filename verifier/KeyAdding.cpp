#include "verifier/KeyAdding.h"

#include "signature/KeyStore.h"
#include "signature/OpenPgpKey.h"
#include "verify/SignedFile.h"

namespace sumbrook {

namespace {

std::string Trimmed(const std::string& label) {
    const std::size_t first = label.find_first_not_of(" \t");
    return first == std::string::npos
               ? std::string()
               : label.substr(first, label.find_last_not_of(" \t") - first + 1);
}

}  // namespace

KeyFileRead ReadKeyFileToAdd(const std::string& path) {
    AnyKeyFile any = ReadAnyKeyFile(path, SecondsNow());
    KeyFileRead read;
    read.keys = std::move(any.certificates);
    read.ed25519 = std::move(any.ed25519);
    read.error = std::move(any.error);
    if (read.error.empty() && read.keys.empty() && !read.ed25519) read.error = "no key in it";
    for (const CheckedCertificate& key : read.keys) {
        if (read.error.empty() && !key.fault.empty()) {
            read.error = FingerprintText(key.fingerprint, true) + ": " + key.fault;
        }
    }
    return read;
}

std::string KeyConfirmationText(const std::string& path, const KeyFileRead& read) {
    if (read.ed25519) {
        return "Add the minisign or signify key of " + path +
               "?\n\nCompare the key and its key ID with the ones the publisher shows on its "
               "own page (not a page the list came with):\n\n" +
               read.ed25519->text + "\nKey ID " + KeyIdText(read.ed25519->id) +
               "\nAlgorithm: Ed25519\n";
    }
    std::string text = "Add the key" + std::string(read.keys.size() == 1 ? "" : "s") + " of " +
                       path +
                       "?\n\nCompare the fingerprint with the one the publisher shows on its "
                       "own page (not a page the list came with):\n";
    for (const CheckedCertificate& key : read.keys) {
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
    for (const CheckedCertificate& key : keys) {
        std::string error = AddToKeyStore(folder, key, Trimmed(label));
        if (!error.empty()) return error;
    }
    return {};
}

std::string AddKeys(const std::string& folder, const KeyFileRead& read, const std::string& label) {
    if (!read.ed25519) return AddKeys(folder, read.keys, label);
    if (folder.empty()) return "there is no folder for the key store (APPDATA is not set)";
    return AddToKeyStore(folder, *read.ed25519, Trimmed(label));
}

}  // namespace sumbrook
