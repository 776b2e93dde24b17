#include "signature/Ed25519PublicKey.h"

#include <algorithm>

#include "hash/Digest.h"
#include "signature/CommentedBase64.h"
#include "signature/PublicKeyVerify.h"

namespace sumbrook {

namespace {

// The sizes of the decoded key files: public, signify's secret, minisign's
// secret.
constexpr std::size_t kPublicKeySize = 2 + 8 + 32;
constexpr std::size_t kSignifySecretSize = 104;
constexpr std::size_t kMinisignSecretSize = 158;

bool OnlyBlankLinesFrom(std::string_view text, std::size_t at) {
    return text.find_first_not_of(" \t\r\n", at) == std::string_view::npos;
}

ByteView View(std::string_view bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

}  // namespace

Ed25519PublicKeyRead ReadEd25519PublicKey(std::string_view text) {
    static constexpr std::string_view kPrefix = "untrusted comment: ";
    Ed25519PublicKeyRead read;
    std::string bytes;
    std::string line;
    std::size_t end = 0;
    if (text.substr(0, kPrefix.size()) == kPrefix) {
        CommentedBase64 pair = ReadCommentedBase64(text, 0, kPrefix, 1024, kPublicKeySize);
        if (!pair.ok) {
            // A secret key file's base64 is longer.
            for (std::size_t size : {kSignifySecretSize, kMinisignSecretSize}) {
                if (ReadCommentedBase64(text, 0, kPrefix, 1024, size).ok) {
                    read.error = "this is a secret key: give the public key (the .pub file)";
                    return read;
                }
            }
            read.error = pair.error;
            return read;
        }
        bytes = std::move(pair.bytes);
        line = std::move(pair.line);
        end = pair.end;
    } else {
        // The base64 line alone, blanks and blank lines around it allowed.
        const std::size_t from = text.find_first_not_of(" \t\r\n");
        bool ended = false;
        const std::string_view first =
            from == std::string_view::npos ? std::string_view() : LineAt(text, from, end, ended);
        line = std::string(first.substr(0, first.find_last_not_of(" \t") + 1));
        if (line.size() != (kPublicKeySize + 2) / 3 * 4 || !DecodeStrictBase64(line, bytes) ||
            bytes.size() != kPublicKeySize) {
            read.error = "neither a minisign or signify public key file nor a key's base64 line";
            return read;
        }
    }
    if (!OnlyBlankLinesFrom(text, end)) {
        read.error = "more text follows the key";
        return read;
    }
    if (bytes.compare(0, 2, "Ed") != 0) {
        read.error = "the key is not an Ed25519 key of minisign or signify";
        return read;
    }
    std::copy(bytes.begin() + 2, bytes.begin() + 10, read.key.id.begin());
    std::copy(bytes.begin() + 10, bytes.end(), read.key.key.begin());
    read.key.text = line;
    read.ok = true;
    return read;
}

std::string KeyIdText(const KeyId& id) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = id.size(); i-- > 0;) {
        text += kDigits[id[i] >> 4];
        text += kDigits[id[i] & 15];
    }
    return text;
}

bool ParseKeyIdText(std::string_view text, KeyId& id) {
    std::string digits;
    for (const char c : text) {
        if (c == ' ' || c == '\t') continue;
        if (HexDigitValue(c) < 0 || digits.size() == 16) return false;
        digits.push_back(c);
    }
    if (digits.size() != 16) return false;
    for (std::size_t i = 0; i < id.size(); ++i) {
        const std::size_t at = 2 * (id.size() - 1 - i);
        id[i] = static_cast<std::uint8_t>(HexDigitValue(digits[at]) * 16 +
                                          HexDigitValue(digits[at + 1]));
    }
    return true;
}

void CheckByKeyId(const KeyId& id, const std::uint8_t (&signature)[64], std::string_view message,
                  const std::vector<Ed25519PublicKey>& keys, KeySignatureResult& result) {
    result.keyId = KeyIdText(id);
    result.verdict = KeySignatureResult::Verdict::kUnknownKey;
    result.reason =
        "made by the key with ID " + result.keyId + ", which is not among the keys given";
    for (const Ed25519PublicKey& key : keys) {
        if (key.id != id) continue;
        if (VerifyEd25519({key.key.data(), key.key.size()}, View(message), {signature, 64})) {
            result.verdict = KeySignatureResult::Verdict::kGood;
            result.reason.clear();
            result.publicKey = key.text;
            result.label = key.label;
            return;
        }
        if (result.verdict != KeySignatureResult::Verdict::kBad) {
            result.verdict = KeySignatureResult::Verdict::kBad;
            result.reason =
                "the signature does not match: the signed data or the signature was changed";
            result.publicKey = key.text;
            result.label = key.label;
        }
    }
}

void WholeMessage::Update(const void* data, std::size_t size) {
    if (tooBig_) return;
    if (size > kWholeMessageLimit - bytes_.size()) {
        tooBig_ = true;
        std::string().swap(bytes_);
        return;
    }
    bytes_.append(static_cast<const char*>(data), size);
}

}  // namespace sumbrook
