#include "signature/Certificate.h"

#include "hash/Hasher.h"
#include "signature/Armour.h"
#include "signature/OpenPgpPacket.h"

namespace sumbrook {

namespace {

// How far ahead of the clock a signature may be dated (clock skew).
constexpr std::uint32_t kSkewSeconds = 600;

bool IsHardRevocation(const OpenPgpSignature& revocation) {
    // 1: superseded, 3: retired; anything else (none, 0, 2: compromised,
    // unknown) is hard.
    return !revocation.revocationReason ||
           (*revocation.revocationReason != 1 && *revocation.revocationReason != 3);
}

// Whether `signature` names `key` as its issuer, or names none.
bool MayBeBy(const OpenPgpSignature& signature, const OpenPgpKey& key) {
    if (!signature.issuerFingerprint.empty()) return signature.issuerFingerprint == key.fingerprint;
    if (!signature.issuerKeyId.empty()) return signature.issuerKeyId == KeyIdOf(key);
    return true;
}

// What a self-signature made by `signer` over `prefix` is worth now. One
// over a collision-prone hash (SHA-1) does not count, whenever it was made:
// the signer may have signed a key or user ID twinned with another; except
// a revocation, which counts over any hash that can be computed, since
// honouring a forged one can only refuse.
enum class SelfSignature { kVoid, kValid, kWeakHash };

SelfSignature CheckSelfSignature(const OpenPgpSignature& signature, const OpenPgpKey& signer,
                                 std::string_view prefix, std::uint32_t now) {
    if (signature.version != 4 || !signature.fault.empty() || !signature.created ||
        *signature.created > now + kSkewSeconds || *signature.created < signer.created ||
        !MayBeBy(signature, signer)) {
        return SelfSignature::kVoid;
    }
    if (signature.expiresAfter && *signature.expiresAfter != 0 &&
        std::uint64_t{*signature.created} + *signature.expiresAfter <= now) {
        return SelfSignature::kVoid;
    }
    const bool revocation = signature.type == kKeyRevocation ||
                            signature.type == kSubkeyRevocation ||
                            signature.type == kCertificationRevocation;
    if (!revocation && IsCollisionProneHash(signature.hash)) return SelfSignature::kWeakHash;
    Digest digest;
    return DigestOverPrefix(signature, prefix, digest) &&
                   VerifySignatureDigest(signer, signature, digest)
               ? SelfSignature::kValid
               : SelfSignature::kVoid;
}

// Whether a self-signature counts; `weak` set to its hash's name when that
// alone voids it (it is then not verified: RSA is not checked over SHA-1).
bool Verifies(const OpenPgpSignature& signature, const OpenPgpKey& signer, std::string_view prefix,
              std::uint32_t now, std::string* weak = nullptr) {
    const SelfSignature worth = CheckSelfSignature(signature, signer, prefix, now);
    if (worth == SelfSignature::kWeakHash && weak != nullptr) *weak = HashName(signature.hash);
    return worth == SelfSignature::kValid;
}

std::optional<std::uint32_t> ExpiryOf(const OpenPgpKey& key, const OpenPgpSignature& self) {
    if (!self.keyExpiresAfter || *self.keyExpiresAfter == 0) return std::nullopt;
    const std::uint64_t end = std::uint64_t{key.created} + *self.keyExpiresAfter;
    return static_cast<std::uint32_t>(end > 0xFFFFFFFFU ? 0xFFFFFFFFU : end);
}

}  // namespace

std::string KeyHashPrefix(const OpenPgpKey& key) {
    std::string prefix = {'\x99', static_cast<char>((key.body.size() >> 8) & 0xFFU),
                          static_cast<char>(key.body.size() & 0xFFU)};
    return prefix + key.body;
}

bool DigestOverPrefix(const OpenPgpSignature& signature, std::string_view prefix, Digest& digest) {
    DigestKind kind{};
    if (!DigestKindOfHash(signature.hash, kind)) return false;
    const auto hasher = MakeHasher(kind);
    hasher->Update(prefix.data(), prefix.size());
    const std::string trailer = SignatureTrailer(signature);
    hasher->Update(trailer.data(), trailer.size());
    digest = hasher->Finish();
    return true;
}

CertificatesRead ReadCertificates(std::string_view bytes) {
    CertificatesRead read;
    std::string binary;
    if (HasArmour(bytes)) {
        ArmourRead armour = ReadArmour(bytes);
        if (!armour.ok) {
            read.error = armour.error;
            return read;
        }
        for (const ArmourBlock& block : armour.blocks) {
            if (block.label == "PGP PUBLIC KEY BLOCK") binary += block.bytes;
        }
        if (binary.empty()) {
            read.error = "no \"-----BEGIN PGP PUBLIC KEY BLOCK-----\" in the file";
            return read;
        }
    } else {
        binary = std::string(bytes);
    }
    OpenPgpPacketReader reader(binary);
    OpenPgpPacket packet;
    std::string error;
    Certificate* current = nullptr;
    std::size_t packetsStart = 0;
    const auto close = [&](std::size_t end) {
        if (current != nullptr) {
            current->packets = binary.substr(packetsStart, end - packetsStart);
        }
    };
    for (;;) {
        const std::size_t at = binary.size() - reader.Left();
        const OpenPgpPacketReader::Step step = reader.Next(packet, error);
        if (step == OpenPgpPacketReader::Step::kEnd) break;
        if (step == OpenPgpPacketReader::Step::kError) {
            read.certificates.clear();
            read.error = "not an OpenPGP key file: " + error;
            return read;
        }
        switch (static_cast<PacketTag>(packet.tag)) {
            case PacketTag::kPublicKey: {
                close(at);
                read.certificates.emplace_back();
                current = &read.certificates.back();
                packetsStart = at;
                if (!ReadKeyPacket(packet.body, current->primary, error)) {
                    read.certificates.clear();
                    read.error = "a damaged key: " + error;
                    return read;
                }
                break;
            }
            case PacketTag::kSecretKey:
            case PacketTag::kSecretSubkey:
                read.certificates.clear();
                read.error = "the file holds a secret key; give the public key only";
                return read;
            case PacketTag::kUserId:
            case PacketTag::kUserAttribute:
                if (current == nullptr) break;
                current->userIds.push_back({std::string(packet.body), packet.tag == 17, {}});
                break;
            case PacketTag::kPublicSubkey: {
                if (current == nullptr) break;
                current->subkeys.emplace_back();
                if (!ReadKeyPacket(packet.body, current->subkeys.back().key, error)) {
                    current->subkeys.pop_back();  // a damaged subkey signs nothing
                }
                break;
            }
            case PacketTag::kSignature: {
                if (current == nullptr) break;
                OpenPgpSignature signature;
                if (!ReadSignaturePacket(packet.body, signature, error)) break;
                // A signature belongs to what precedes it.
                if (!current->subkeys.empty()) {
                    current->subkeys.back().signatures.push_back(std::move(signature));
                } else if (!current->userIds.empty()) {
                    current->userIds.back().signatures.push_back(std::move(signature));
                } else {
                    current->direct.push_back(std::move(signature));
                }
                break;
            }
            default:
                break;  // trust, marker, padding packets
        }
    }
    close(binary.size());
    if (read.certificates.empty()) read.error = "no public key in the file";
    return read;
}

CheckedCertificate CheckCertificate(const Certificate& certificate, std::uint32_t now) {
    CheckedCertificate checked;
    const OpenPgpKey& primary = certificate.primary;
    checked.fingerprint = primary.fingerprint;
    checked.algorithm = KeyAlgorithmName(primary);
    checked.packets = certificate.packets;
    if (primary.version != 4) {
        checked.fault = "a version " + std::to_string(primary.version) + " key, not read here";
        return checked;
    }
    const std::string primaryPrefix = KeyHashPrefix(primary);
    // The newest valid self-signature says the primary key's flags and expiry.
    const OpenPgpSignature* newest = nullptr;
    const auto consider = [&](const OpenPgpSignature& self) {
        if (newest == nullptr || *self.created >= *newest->created) newest = &self;
    };
    SigningKey primaryKey;
    primaryKey.key = primary;
    std::string weak;  // the hash of a self-signature void for it alone
    for (const OpenPgpSignature& signature : certificate.direct) {
        const std::string_view prefix = primaryPrefix;
        if (signature.type == kDirectKey && Verifies(signature, primary, prefix, now, &weak)) {
            consider(signature);
        } else if (signature.type == kKeyRevocation && Verifies(signature, primary, prefix, now)) {
            if (IsHardRevocation(signature)) {
                checked.hardRevoked = true;
            } else if (!primaryKey.softRevokedAt ||
                       *signature.created < *primaryKey.softRevokedAt) {
                primaryKey.softRevokedAt = *signature.created;
            }
        }
    }
    bool primaryUserIdSeen = false;
    for (const Certificate::UserId& userId : certificate.userIds) {
        if (userId.attribute) continue;
        const std::uint32_t length = static_cast<std::uint32_t>(userId.text.size());
        std::string prefix = primaryPrefix + '\xB4';
        for (int shift = 24; shift >= 0; shift -= 8) {
            prefix.push_back(static_cast<char>((length >> shift) & 0xFFU));
        }
        prefix += userId.text;
        const OpenPgpSignature* certification = nullptr;
        std::optional<std::uint32_t> revokedAt;
        for (const OpenPgpSignature& signature : userId.signatures) {
            if (signature.type >= kCertificationFirst && signature.type <= kCertificationLast &&
                Verifies(signature, primary, prefix, now, &weak)) {
                if (certification == nullptr || *signature.created >= *certification->created) {
                    certification = &signature;
                }
            } else if (signature.type == kCertificationRevocation &&
                       Verifies(signature, primary, prefix, now)) {
                revokedAt = *signature.created;
            }
        }
        if (certification == nullptr) continue;
        consider(*certification);
        if (revokedAt && *revokedAt >= *certification->created) continue;
        // The primary user ID (subpacket 25) is shown first; it is not read
        // apart, so the first user ID listed stands first instead.
        if (!primaryUserIdSeen) {
            checked.userIds.insert(checked.userIds.begin(), userId.text);
            primaryUserIdSeen = true;
        } else {
            checked.userIds.push_back(userId.text);
        }
    }
    if (newest == nullptr) {
        checked.fault = weak.empty() ? "the key has no valid self-signature"
                                     : "the key is bound only by self-signatures over " + weak +
                                           ", which can be forged (the publisher's key file may "
                                           "have newer ones)";
        // Kept, unable to sign, so that its signatures are refused for this
        // rather than taken for an unknown key's.
        primaryKey.fault = checked.fault;
        checked.keys.push_back(primaryKey);
        return checked;
    }
    // A soft revocation is taken back by a newer self-signature.
    if (primaryKey.softRevokedAt && *newest->created > *primaryKey.softRevokedAt) {
        primaryKey.softRevokedAt.reset();
    }
    checked.expires = ExpiryOf(primary, *newest);
    primaryKey.expires = checked.expires;
    primaryKey.hardRevoked = checked.hardRevoked;
    primaryKey.canSign =
        primary.fault.empty() && (!newest->keyFlags || (*newest->keyFlags & kKeyFlagSign) != 0);
    if (!primaryKey.canSign) {
        primaryKey.fault =
            primary.fault.empty() ? "the key's flags do not allow signing" : primary.fault;
    }
    checked.keys.push_back(primaryKey);

    for (const Certificate::Subkey& subkey : certificate.subkeys) {
        if (subkey.key.version != 4) continue;
        const std::string prefix = primaryPrefix + KeyHashPrefix(subkey.key);
        SigningKey signing;
        signing.key = subkey.key;
        signing.subkey = true;
        signing.hardRevoked = checked.hardRevoked;
        signing.softRevokedAt = primaryKey.softRevokedAt;
        const OpenPgpSignature* binding = nullptr;
        std::string weakBinding;
        for (const OpenPgpSignature& signature : subkey.signatures) {
            if (signature.type == kSubkeyBinding &&
                Verifies(signature, primary, prefix, now, &weakBinding)) {
                if (binding == nullptr || *signature.created >= *binding->created)
                    binding = &signature;
            } else if (signature.type == kSubkeyRevocation &&
                       Verifies(signature, primary, prefix, now)) {
                if (IsHardRevocation(signature)) {
                    signing.hardRevoked = true;
                } else if (!signing.softRevokedAt || *signature.created < *signing.softRevokedAt) {
                    signing.softRevokedAt = *signature.created;
                }
            }
        }
        if (binding == nullptr && !weakBinding.empty()) {
            // Named, so that its signatures are refused for this, not taken
            // for an unknown key's.
            signing.fault = "the subkey's binding signature is made over " + weakBinding +
                            ", which can be forged";
            checked.keys.push_back(std::move(signing));
            continue;
        }
        if (binding == nullptr) continue;  // an unbound subkey is none of this certificate's
        if (signing.softRevokedAt && *binding->created > *signing.softRevokedAt &&
            signing.softRevokedAt != primaryKey.softRevokedAt) {
            signing.softRevokedAt.reset();
        }
        signing.expires = ExpiryOf(subkey.key, *binding);
        if (checked.expires && (!signing.expires || *checked.expires < *signing.expires)) {
            signing.expires = checked.expires;
        }
        const bool flagged = !binding->keyFlags || (*binding->keyFlags & kKeyFlagSign) != 0;
        bool backSigned = false;
        std::string weakBack;
        if (flagged && !binding->embedded.empty()) {
            OpenPgpSignature back;
            std::string error;
            backSigned = ReadSignaturePacket(binding->embedded, back, error) &&
                         back.type == kPrimaryKeyBinding &&
                         Verifies(back, subkey.key, prefix, now, &weakBack);
        }
        signing.canSign = flagged && backSigned && subkey.key.fault.empty();
        if (!signing.canSign) {
            signing.fault = !subkey.key.fault.empty() ? subkey.key.fault
                            : !flagged                ? "the subkey's flags do not allow signing"
                            : !weakBack.empty()
                                ? "the signing subkey's back-signature (0x19) is made over " +
                                      weakBack + ", which can be forged"
                                : "the signing subkey has no valid back-signature (0x19)";
        }
        checked.keys.push_back(std::move(signing));
    }
    return checked;
}

}  // namespace sumbrook
