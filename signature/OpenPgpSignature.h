// A signature packet (RFC 9580 5.2) as read, before any key is asked about
// it: its version, type, algorithms, the numbers of the signature and what
// its subpackets say. Only a version 4 signature is read in full (versions
// 3, 5 and 6 are recognised, to be refused by name). What a signature says
// is taken from its hashed subpackets only, which the signature covers; of
// the unhashed ones, only the issuer's key ID (a hint of which key to try)
// and an embedded signature (itself signed) are read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sumbrook {

// The public-key algorithms of RFC 9580 9.1 that are named here.
enum class PublicKeyAlgorithm : int {
    kRsa = 1,
    kRsaEncrypt = 2,
    kRsaSign = 3,
    kElgamal = 16,
    kDsa = 17,
    kEcdh = 18,
    kEcdsa = 19,
    kEdDsaLegacy = 22,
    kX25519 = 25,
    kX448 = 26,
    kEd25519 = 27,
    kEd448 = 28,
};

// Signature types (RFC 9580 5.2.1).
enum SignatureType : int {
    kBinarySignature = 0x00,
    kTextSignature = 0x01,
    kCertificationFirst = 0x10,  // 0x10 to 0x13: a user ID's certification
    kCertificationLast = 0x13,
    kSubkeyBinding = 0x18,
    kPrimaryKeyBinding = 0x19,
    kDirectKey = 0x1F,
    kKeyRevocation = 0x20,
    kSubkeyRevocation = 0x28,
    kCertificationRevocation = 0x30,
};

// Key flags (RFC 9580 5.2.3.29), first byte.
inline constexpr std::uint8_t kKeyFlagCertify = 0x01;
inline constexpr std::uint8_t kKeyFlagSign = 0x02;

struct OpenPgpSignature {
    int version = 0;
    int type = 0;
    int algorithm = 0;  // PublicKeyAlgorithm
    int hash = 0;       // RFC 9580 9.5 hash algorithm ID
    // The signed trailer's start: version to the end of the hashed subpackets.
    std::string hashedPart;
    std::uint8_t left16[2] = {0, 0};
    // The signature's numbers, leading zero bytes dropped: RSA's one, (r, s)
    // for ECDSA and EdDSA; Ed25519 (27) keeps its 64 bytes as one.
    std::vector<std::string> numbers;

    // From the hashed subpackets.
    std::optional<std::uint32_t> created;
    std::optional<std::uint32_t> expiresAfter;     // seconds after `created`; 0: never
    std::optional<std::uint32_t> keyExpiresAfter;  // seconds after the key's creation; 0: never
    std::optional<std::uint8_t> keyFlags;
    std::optional<int> revocationReason;  // RFC 9580 5.2.3.31
    std::string issuerFingerprint;        // subpacket 33, v4: 20 bytes
    std::string issuerKeyId;              // subpacket 16 (8 bytes), from either area
    std::string unhashedFingerprint;      // subpacket 33 where unsigned
    std::string embedded;                 // subpacket 32: a signature packet's body
    // Empty, or why the signature cannot be valid: an unknown critical
    // subpacket, a subpacket that does not fit its length.
    std::string fault;
};

// Reads the body of a signature packet into `signature`; false with `error`
// set when its lengths do not fit. A signature of another version than 4
// is read as far as its version and type (version 3), and true is returned.
bool ReadSignaturePacket(std::string_view body, OpenPgpSignature& signature, std::string& error);

// The bytes appended to the signed data before hashing: the hashed part,
// then 0x04 0xFF and its length in four bytes.
std::string SignatureTrailer(const OpenPgpSignature& signature);

}  // namespace sumbrook
