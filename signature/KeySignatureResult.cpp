#include "signature/KeySignatureResult.h"

namespace sumbrook {

std::string KeySignatureResultText(const KeySignatureResult& result) {
    const std::string key = (result.label.empty() ? std::string() : result.label + ", ") +
                            "the key " + result.publicKey + " (key ID " + result.keyId + ")";
    switch (result.verdict) {
        case KeySignatureResult::Verdict::kGood:
            return "Good " + result.format + " signature by " + key +
                   (result.trustedComment.empty() ? std::string()
                                                  : ", trusted comment: " + result.trustedComment);
        case KeySignatureResult::Verdict::kBad:
            return "BAD " + result.format + " signature by " + key + ": " + result.reason;
        case KeySignatureResult::Verdict::kUnknownKey:
            return "Signed by a " + result.format + " key you have not given: key ID " +
                   result.keyId;
        case KeySignatureResult::Verdict::kRefused:
            break;
    }
    return (result.format.empty() ? std::string("The") : result.format) +
           " signature not checked: " + result.reason;
}

std::string KeySignerText(const KeySignatureResult& result) {
    return (result.label.empty() ? std::string() : result.label + ", ") + "the " + result.format +
           " key " + result.publicKey + " (key ID " + result.keyId + ")" +
           (result.trustedComment.empty() ? std::string()
                                          : ", trusted comment: " + result.trustedComment);
}

int KeySignatureExitCode(const KeySignatureResult& result) {
    switch (result.verdict) {
        case KeySignatureResult::Verdict::kGood:
            return 0;
        case KeySignatureResult::Verdict::kBad:
            return 1;
        default:
            return 2;
    }
}

}  // namespace sumbrook
