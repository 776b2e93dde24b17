#include "verifier/KeyListing.h"

#include "signature/OpenPgpKey.h"
#include "signature/SignatureCheck.h"

namespace sumbrook {

namespace {

std::string LabelOf(const CheckedCertificate& key) {
    return key.label.empty() ? std::string("(no label)") : key.label;
}

}  // namespace

std::string KeyListLine(const CheckedCertificate& key) {
    return LabelOf(key) + " \xC2\xB7 " + FingerprintText(key.fingerprint, true);
}

std::string KeyDetailsText(const CheckedCertificate& key) {
    std::string text =
        "Label: " + LabelOf(key) + "\nFingerprint: " + FingerprintText(key.fingerprint, true) +
        "\nAlgorithm: " + key.algorithm +
        "\nExpires: " + (key.expires ? UtcTimeText(*key.expires).substr(0, 10) : "never");
    if (key.hardRevoked) text += "\nREVOKED";
    if (!key.fault.empty()) text += "\nNot usable: " + key.fault;
    text += "\nUser IDs:";
    for (const std::string& userId : key.userIds) text += "\n    " + userId;
    if (key.userIds.empty()) text += " none";
    return text;
}

}  // namespace sumbrook
