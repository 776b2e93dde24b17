// OpenPGP certificates (transferable public keys, RFC 9580 10.1): read from
// a key file (binary or armoured, one certificate or many, as publishers
// offer them), then judged by their own self-signatures.
//
// A key or subkey counts only as its self-signatures make it: a user ID with
// a valid certification by the primary key; a subkey with a valid binding
// (0x18) by the primary key and, to sign, a valid embedded back-signature
// (0x19) by the subkey itself; the newest valid self-signature says the key
// flags and the expiry. A revocation by the primary key (0x20, 0x28) is hard
// unless its reason says the key was superseded or retired (RFC 9580
// 5.2.3.31): a hard one voids every signature the key made, a soft one those
// made after it. Certifications by other keys are kept but not read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signature/OpenPgpKey.h"
#include "signature/OpenPgpSignature.h"

namespace sumbrook {

struct Certificate {
    struct UserId {
        std::string text;
        bool attribute = false;  // a user attribute (a photo), never shown
        std::vector<OpenPgpSignature> signatures;
    };
    struct Subkey {
        OpenPgpKey key;
        std::vector<OpenPgpSignature> signatures;
    };
    OpenPgpKey primary;
    std::vector<OpenPgpSignature> direct;  // on the primary key itself
    std::vector<UserId> userIds;
    std::vector<Subkey> subkeys;
    std::string packets;  // the certificate's packets as read, binary
};

struct CertificatesRead {
    std::vector<Certificate> certificates;
    // Empty, or why the bytes are no key file (then there is no certificate).
    std::string error;
};

// Every certificate of a key file, binary or armoured ("PGP PUBLIC KEY
// BLOCK", any number of blocks). Secret keys are refused. A certificate of
// another version than 4 is kept (its primary key's fault says why it signs
// nothing).
CertificatesRead ReadCertificates(std::string_view bytes);

// One key of a certificate that may sign, as its self-signatures say.
struct SigningKey {
    OpenPgpKey key;
    bool subkey = false;
    bool canSign = false;
    std::optional<std::uint32_t> expires;  // the first second it is expired
    bool hardRevoked = false;
    std::optional<std::uint32_t> softRevokedAt;  // signatures from then on are void
    std::string fault;                           // why it signs nothing, when !canSign
};

struct CheckedCertificate {
    std::string fingerprint;           // the primary key's, 20 bytes
    std::vector<std::string> userIds;  // self-certified, the primary one first
    std::string algorithm;             // the primary key's ("RSA-4096")
    std::optional<std::uint32_t> expires;
    bool hardRevoked = false;
    std::vector<SigningKey> keys;  // the primary key first, then bound subkeys
    // Empty, or why nothing of this certificate counts (no valid
    // self-signature, an unsupported version).
    std::string fault;
    std::string label;    // the user's, from the key store
    std::string packets;  // as read
};

// Judges a certificate's self-signatures. `now` sets which self-signatures
// are too new to count (more than a few minutes ahead).
CheckedCertificate CheckCertificate(const Certificate& certificate, std::uint32_t now);

// The digest of `signature` over `prefix` then its trailer (key and user ID
// signatures), by the signature's hash; false where hash/ has no such hash.
bool DigestOverPrefix(const OpenPgpSignature& signature, std::string_view prefix, Digest& digest);

// 0x99, the key body's length in two bytes, the body: a key as signatures
// hash it.
std::string KeyHashPrefix(const OpenPgpKey& key);

}  // namespace sumbrook
