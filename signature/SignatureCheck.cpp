#include "signature/SignatureCheck.h"

#include <ctime>

#include "signature/Armour.h"
#include "signature/OpenPgpKey.h"
#include "signature/OpenPgpPacket.h"

namespace sumbrook {

namespace {

constexpr std::uint32_t kSkewSeconds = 600;  // ten minutes of clock skew

bool IsDataSignature(const OpenPgpSignature& signature) {
    return signature.version == 4 &&
           (signature.type == kBinarySignature || signature.type == kTextSignature);
}

// The Hash: header's name of an OpenPGP hash ("SHA256").
std::string HeaderNameOf(int hash) {
    std::string name = HashName(hash);
    std::string compact;
    for (const char c : name) {
        if (c != '-') compact.push_back(c);
    }
    return compact;
}

}  // namespace

std::string UtcTimeText(std::uint32_t seconds) {
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &time);
#else
    gmtime_r(&time, &parts);
#endif
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

namespace {

// Why `signature` is refused before any key is asked, or empty.
std::string RefusalOf(const OpenPgpSignature& signature,
                      const std::vector<std::string>& hashHeaders) {
    if (signature.version == 3 || signature.version == 2)
        return "a version 3 signature, which is refused";
    if (signature.version != 4) {
        return "a version " + std::to_string(signature.version) + " signature, not read here";
    }
    if (!IsDataSignature(signature))
        return "not a signature of data (type " + std::to_string(signature.type) + ")";
    if (!signature.fault.empty()) return signature.fault;
    if (IsCollisionProneHash(signature.hash)) {
        return "made over " + HashName(signature.hash) + ", which can be forged";
    }
    DigestKind kind{};
    if (!DigestKindOfHash(signature.hash, kind))
        return "made over " + HashName(signature.hash) + ", not read here";
    if (signature.algorithm == static_cast<int>(PublicKeyAlgorithm::kDsa))
        return "a DSA signature, which is refused";
    if (!signature.created) return "the signature has no creation time";
    if (!hashHeaders.empty()) {
        bool named = false;
        for (const std::string& header : hashHeaders)
            named = named || header == HeaderNameOf(signature.hash);
        if (!named) return "the signature's hash is not the one the \"Hash:\" header names";
    }
    return {};
}

// Why the key that made `signature` makes it refused, or empty.
std::string KeyRefusalOf(const SigningKey& key, const OpenPgpSignature& signature,
                         std::uint32_t now) {
    const std::uint32_t created = *signature.created;
    if (key.key.bits != 0 && key.key.bits < 2048 &&
        (key.key.algorithm == 1 || key.key.algorithm == 3)) {
        return "an RSA key of " + std::to_string(key.key.bits) + " bits (under 2048)";
    }
    if (!key.canSign) return key.fault;
    if (key.hardRevoked) return "the key was revoked";
    if (key.softRevokedAt && created >= *key.softRevokedAt) {
        return "the key was retired on " + UtcTimeText(*key.softRevokedAt) + ", before it signed";
    }
    if (created < key.key.created) return "the signature is older than its key";
    if (key.expires && created >= *key.expires) {
        return "the key had expired (" + UtcTimeText(*key.expires) + ") when it signed";
    }
    if (created > now + kSkewSeconds)
        return "the signature is dated in the future (" + UtcTimeText(created) + ")";
    if (signature.expiresAfter && *signature.expiresAfter != 0 &&
        std::uint64_t{created} + *signature.expiresAfter <= now) {
        return "the signature expired on " + UtcTimeText(created + *signature.expiresAfter);
    }
    return {};
}

}  // namespace

SignaturesRead ReadSignatures(std::string_view bytes) {
    SignaturesRead read;
    std::string binary;
    if (HasArmour(bytes)) {
        const ArmourRead armour = ReadArmour(bytes);
        if (!armour.ok) {
            read.error = armour.error;
            return read;
        }
        for (const ArmourBlock& block : armour.blocks) {
            // Some writers label detached signatures a message; the packets
            // in it must still all be signatures.
            if (block.label != "PGP SIGNATURE" && block.label != "PGP MESSAGE") {
                read.error = "an armoured \"" + block.label + "\" where a signature was expected";
                return read;
            }
            binary += block.bytes;
        }
    } else {
        binary = std::string(bytes);
    }
    OpenPgpPacketReader reader(binary);
    OpenPgpPacket packet;
    for (;;) {
        const OpenPgpPacketReader::Step step = reader.Next(packet, read.error);
        if (step == OpenPgpPacketReader::Step::kEnd) break;
        if (step == OpenPgpPacketReader::Step::kError) {
            read.error = "not an OpenPGP signature: " + read.error;
            read.signatures.clear();
            return read;
        }
        if (packet.tag == static_cast<int>(PacketTag::kMarker) ||
            packet.tag == static_cast<int>(PacketTag::kPadding)) {
            continue;
        }
        if (packet.tag != static_cast<int>(PacketTag::kSignature)) {
            read.error =
                "not a detached signature (a packet of type " + std::to_string(packet.tag) + ")";
            read.signatures.clear();
            return read;
        }
        OpenPgpSignature signature;
        if (!ReadSignaturePacket(packet.body, signature, read.error)) {
            read.error = "a damaged signature: " + read.error;
            read.signatures.clear();
            return read;
        }
        read.signatures.push_back(std::move(signature));
    }
    if (read.signatures.empty()) {
        read.error = "no signature in the file";
        return read;
    }
    read.error.clear();
    read.ok = true;
    return read;
}

SignedDataDigests::SignedDataDigests(const std::vector<OpenPgpSignature>& signatures,
                                     bool canonical) {
    for (const OpenPgpSignature& signature : signatures) {
        Part part;
        DigestKind kind{};
        if (IsDataSignature(signature) && DigestKindOfHash(signature.hash, kind)) {
            part.hasher = MakeHasher(kind);
            part.text = signature.type == kTextSignature && !canonical;
            part.trailer = SignatureTrailer(signature);
        }
        parts_.push_back(std::move(part));
    }
}

void SignedDataDigests::Update(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    bool anyText = false;
    for (Part& part : parts_) {
        if (!part.hasher) continue;
        if (part.text) {
            anyText = true;
            continue;
        }
        part.hasher->Update(bytes, size);
    }
    if (!anyText) return;
    // A text signature's bytes with every line end made CR LF: a LF not
    // after a CR gets one.
    std::string text;
    text.reserve(size + size / 32);
    bool lastWasCr = lastWasCr_;
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] == '\n' && !lastWasCr) text.push_back('\r');
        text.push_back(bytes[i]);
        lastWasCr = bytes[i] == '\r';
    }
    lastWasCr_ = lastWasCr;
    for (Part& part : parts_) {
        if (part.hasher && part.text) part.hasher->Update(text.data(), text.size());
    }
}

std::vector<std::optional<Digest>> SignedDataDigests::Finish() {
    std::vector<std::optional<Digest>> digests;
    for (Part& part : parts_) {
        if (!part.hasher) {
            digests.emplace_back();
            continue;
        }
        part.hasher->Update(part.trailer.data(), part.trailer.size());
        digests.emplace_back(part.hasher->Finish());
    }
    return digests;
}

std::vector<SignatureResult> CheckSignatures(const std::vector<OpenPgpSignature>& signatures,
                                             const std::vector<std::optional<Digest>>& digests,
                                             const std::vector<CheckedCertificate>& keys,
                                             std::uint32_t now,
                                             const std::vector<std::string>& hashHeaders) {
    std::vector<SignatureResult> results;
    for (std::size_t i = 0; i < signatures.size(); ++i) {
        const OpenPgpSignature& signature = signatures[i];
        SignatureResult result;
        if (signature.version == 4) result.hash = HashName(signature.hash);
        result.created = signature.created;
        result.issuer = !signature.issuerFingerprint.empty()
                            ? FingerprintText(signature.issuerFingerprint, true)
                        : !signature.issuerKeyId.empty()
                            ? "key ID " + FingerprintText(signature.issuerKeyId, false) +
                                  " (the signature names no fingerprint)"
                            : "a key the signature does not name";
        result.reason = RefusalOf(signature, hashHeaders);
        if (!result.reason.empty() || i >= digests.size() || !digests[i]) {
            if (result.reason.empty()) result.reason = "its hash is not read here";
            results.push_back(std::move(result));
            continue;
        }
        // The keys it may be by: the one its issuer fingerprint names, else
        // those of its key ID, else (it names none) every one.
        bool named = false;
        bool good = false;
        const CheckedCertificate* signer = nullptr;
        const SigningKey* signingKey = nullptr;
        for (const CheckedCertificate& certificate : keys) {
            for (const SigningKey& key : certificate.keys) {
                const bool match = !signature.issuerFingerprint.empty()
                                       ? signature.issuerFingerprint == key.key.fingerprint
                                   : !signature.issuerKeyId.empty()
                                       ? signature.issuerKeyId == KeyIdOf(key.key)
                                       : true;
                if (!match || good) continue;
                if (signer == nullptr) {
                    signer = &certificate;
                    signingKey = &key;
                }
                named = true;
                if (VerifySignatureDigest(key.key, signature, *digests[i])) {
                    good = true;
                    signer = &certificate;
                    signingKey = &key;
                }
            }
        }
        if (signer == nullptr) {
            result.verdict = SignatureResult::Verdict::kUnknownKey;
            result.reason = "made by a key you have not added: " + result.issuer;
            results.push_back(std::move(result));
            continue;
        }
        result.primaryFingerprint = signer->fingerprint;
        if (signingKey->subkey) result.subkeyFingerprint = signingKey->key.fingerprint;
        result.label = signer->label;
        if (!signer->userIds.empty()) result.userId = signer->userIds.front();
        result.algorithm = KeyAlgorithmName(signingKey->key);
        if (!good) {
            const bool byIdOnly =
                signature.issuerFingerprint.empty() && signature.issuerKeyId.empty();
            result.verdict = named && !byIdOnly ? SignatureResult::Verdict::kBad
                                                : SignatureResult::Verdict::kUnknownKey;
            result.reason =
                result.verdict == SignatureResult::Verdict::kBad
                    ? "the signature does not match: the data or the signature was changed"
                    : "made by a key you have not added";
            results.push_back(std::move(result));
            continue;
        }
        result.reason = KeyRefusalOf(*signingKey, signature, now);
        result.verdict = result.reason.empty() ? SignatureResult::Verdict::kGood
                                               : SignatureResult::Verdict::kRefused;
        results.push_back(std::move(result));
    }
    return results;
}

std::vector<SignatureResult> CheckClearSigned(std::string_view text, std::string_view signature,
                                              const std::vector<std::string>& hashHeaders,
                                              const std::vector<CheckedCertificate>& keys,
                                              std::uint32_t now) {
    const SignaturesRead read = ReadSignatures(signature);
    if (!read.ok) {
        SignatureResult result;
        result.reason = read.error;
        return {result};
    }
    SignedDataDigests digests(read.signatures, true);
    digests.Update(text.data(), text.size());
    return CheckSignatures(read.signatures, digests.Finish(), keys, now, hashHeaders);
}

int SignaturesExitCode(const std::vector<SignatureResult>& results) {
    bool good = false;
    for (const SignatureResult& result : results) {
        if (result.verdict == SignatureResult::Verdict::kBad) return 1;
        good = good || result.verdict == SignatureResult::Verdict::kGood;
    }
    return good ? 0 : 2;
}

std::string SignatureResultText(const SignatureResult& result) {
    std::string who;
    if (!result.label.empty()) who += result.label + " ";
    if (!result.userId.empty()) who += "(" + result.userId + ") ";
    if (!result.primaryFingerprint.empty()) {
        who += "key " + FingerprintText(result.primaryFingerprint, true);
        if (!result.subkeyFingerprint.empty()) {
            who += " (subkey " + FingerprintText(result.subkeyFingerprint, true) + ")";
        }
    }
    std::string made;
    if (result.created) made = ", made " + UtcTimeText(*result.created);
    if (!result.algorithm.empty()) made += ", " + result.algorithm;
    if (!result.hash.empty()) made += ", " + result.hash;
    switch (result.verdict) {
        case SignatureResult::Verdict::kGood:
            return "Good signature by " + who + made;
        case SignatureResult::Verdict::kBad:
            return "BAD signature by " + who + made + ": " + result.reason;
        case SignatureResult::Verdict::kUnknownKey:
            return "Signature not verified: " + result.reason + made;
        case SignatureResult::Verdict::kRefused:
            break;
    }
    return "Signature refused" + (who.empty() ? std::string() : " (by " + who + ")") + made + ": " +
           result.reason;
}

}  // namespace sumbrook
