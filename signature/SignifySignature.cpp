#include "signature/SignifySignature.h"

#include <algorithm>

#include "signature/CommentedBase64.h"
#include "signature/MinisignSignature.h"

namespace sumbrook {

namespace {

constexpr std::string_view kUntrusted = "untrusted comment: ";
constexpr std::size_t kCommentLimit = 1024;  // signify's own

KeySignatureResult Check(const SignifySignature& signature, std::string_view message,
                         const std::vector<Ed25519PublicKey>& keys, bool tooBig) {
    KeySignatureResult result;
    result.format = "signify";
    result.keyId = KeyIdText(signature.keyId);
    if (tooBig) {
        result.reason =
            "a signify signature signs the whole message unhashed, which is checked only up to " +
            std::to_string(kWholeMessageLimit >> 20) + " MiB";
        return result;
    }
    CheckByKeyId(signature.keyId, signature.signature, message, keys, result);
    return result;
}

bool Known(const SignifySignature& signature, const std::vector<Ed25519PublicKey>& keys) {
    return std::any_of(keys.begin(), keys.end(),
                       [&](const Ed25519PublicKey& key) { return key.id == signature.keyId; });
}

}  // namespace

bool LooksLikeSignifySignature(std::string_view text) {
    return text.substr(0, kUntrusted.size()) == kUntrusted && !LooksLikeMinisignSignature(text);
}

SignifySignatureRead ReadSignifySignature(std::string_view text) {
    SignifySignatureRead read;
    const CommentedBase64 pair =
        ReadCommentedBase64(text, 0, kUntrusted, kCommentLimit, 2 + 8 + 64);
    if (!pair.ok) {
        read.error = "not a signify signature: " + pair.error;
        return read;
    }
    if (pair.bytes.compare(0, 2, "ED") == 0) {
        read.error = "a minisign signature (pre-hashed) without its trusted comment lines";
        return read;
    }
    if (pair.bytes.compare(0, 2, "Ed") != 0) {
        read.error = "a signify signature of an algorithm not read here";
        return read;
    }
    SignifySignature& signature = read.signature;
    std::copy(pair.bytes.begin() + 2, pair.bytes.begin() + 10, signature.keyId.begin());
    std::copy(pair.bytes.begin() + 10, pair.bytes.end(), signature.signature);
    const std::string_view rest = text.substr(pair.end);
    signature.embedded = rest.find_first_not_of(" \t\r\n") != std::string_view::npos;
    if (signature.embedded) {
        // The message starts right after the base64 line's LF (a CR before
        // it would belong to the message: signify reads none).
        if (!pair.endedLine || text[pair.end - 2] == '\r') {
            read.error = "not a signify signature: its base64 line does not end in a plain LF";
            return read;
        }
        if (rest.size() > kWholeMessageLimit) {
            read.error = "the signed message is bigger than " +
                         std::to_string(kWholeMessageLimit >> 20) + " MiB";
            return read;
        }
        signature.message = std::string(rest);
    }
    read.ok = true;
    return read;
}

KeySignatureResult CheckSignifyEmbedded(const SignifySignature& signature,
                                        const std::vector<Ed25519PublicKey>& keys) {
    return Check(signature, signature.message, keys, false);
}

SignifyCheck::SignifyCheck(SignifySignature signature, std::vector<Ed25519PublicKey> keys)
    : signature_(std::move(signature)), keys_(std::move(keys)), known_(Known(signature_, keys_)) {}

bool SignifyCheck::WantsBytes() const {
    return known_ && !whole_.TooBig();
}

void SignifyCheck::Update(const void* data, std::size_t size) {
    if (WantsBytes()) whole_.Update(data, size);
}

KeySignatureResult SignifyCheck::Finish() {
    return Check(signature_, whole_.Bytes(), keys_, known_ && whole_.TooBig());
}

}  // namespace sumbrook
