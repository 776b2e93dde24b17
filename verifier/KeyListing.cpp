#include "verifier/KeyListing.h"

#include "signature/OpenPgpKey.h"
#include "signature/SignatureCheck.h"

namespace sumbrook {

namespace {

std::string LabelOf(const std::string& label) {
    return label.empty() ? std::string("(no label)") : label;
}

// The store keeps one form for both tools' keys, so it cannot say which.
constexpr char kEd25519Kind[] = "minisign or signify";

}  // namespace

std::string KeyListLine(const CheckedCertificate& key) {
    return LabelOf(key.label) + " \xC2\xB7 " + FingerprintText(key.fingerprint, true);
}

std::string KeyDetailsText(const CheckedCertificate& key) {
    std::string text = "Label: " + LabelOf(key.label) +
                       "\nFingerprint: " + FingerprintText(key.fingerprint, true) +
                       "\nAlgorithm: " + key.algorithm + "\nExpires: " +
                       (key.expires ? UtcTimeText(*key.expires).substr(0, 10) : "never");
    if (key.hardRevoked) text += "\nREVOKED";
    if (!key.fault.empty()) text += "\nNot usable: " + key.fault;
    text += "\nUser IDs:";
    for (const std::string& userId : key.userIds) text += "\n    " + userId;
    if (key.userIds.empty()) text += " none";
    return text;
}

std::string KeyListLine(const Ed25519PublicKey& key) {
    return LabelOf(key.label) + " \xC2\xB7 key ID " + KeyIdText(key.id) + " (" + kEd25519Kind + ")";
}

std::string KeyDetailsText(const Ed25519PublicKey& key) {
    return "Label: " + LabelOf(key.label) + "\nKey: " + key.text +
           "\nKey ID: " + KeyIdText(key.id) + "\nAlgorithm: Ed25519\nKind: " + kEd25519Kind +
           "\nExpires: never";
}

std::vector<std::string> KeyListLines(const KeyStoreRead& store) {
    std::vector<std::string> lines;
    for (const CheckedCertificate& key : store.keys) lines.push_back(KeyListLine(key));
    for (const Ed25519PublicKey& key : store.ed25519Keys) lines.push_back(KeyListLine(key));
    return lines;
}

std::string KeyDetailsTextAt(const KeyStoreRead& store, std::size_t index) {
    if (index < store.keys.size()) return KeyDetailsText(store.keys[index]);
    index -= store.keys.size();
    return index < store.ed25519Keys.size() ? KeyDetailsText(store.ed25519Keys[index])
                                            : std::string();
}

std::string RemoveListedKey(const std::string& folder, const KeyStoreRead& store,
                            std::size_t index) {
    if (index < store.keys.size()) return RemoveFromKeyStore(folder, store.keys[index].fingerprint);
    index -= store.keys.size();
    if (index < store.ed25519Keys.size()) {
        return RemoveFromKeyStore(folder, store.ed25519Keys[index].id);
    }
    return "no such key";
}

}  // namespace sumbrook
