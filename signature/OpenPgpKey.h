// A public key or subkey packet (RFC 9580 5.5.2) as read: its algorithm,
// creation time, numbers and v4 fingerprint (SHA-1 over 0x99, the body's
// length in two bytes and the body, through hash/), and the check of one
// signature's digest with it through the libraries (PublicKeyVerify.h).
// Keys of versions other than 4 and of algorithms that cannot sign are read
// far enough to be named and skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"
#include "signature/OpenPgpSignature.h"

namespace sumbrook {

struct OpenPgpKey {
    int version = 0;
    int algorithm = 0;  // PublicKeyAlgorithm
    std::uint32_t created = 0;
    std::string body;         // the packet's body
    std::string fingerprint;  // 20 bytes (v4)
    // RSA: n, e; ECDSA: the uncompressed point; EdDSA (22): the point
    // without its 0x40 prefix; Ed25519 (27): the key's 32 bytes.
    std::vector<std::string> numbers;
    int curveBits = 0;     // ECDSA: 256 or 384; EdDSA: 255; 0 for other curves
    std::size_t bits = 0;  // RSA: the modulus's bits
    // Empty, or why this key signs nothing here ("version 3 key",
    // "ECDSA over brainpoolP256r1", "DSA", "an encryption algorithm").
    std::string fault;
};

// Reads a public key or subkey packet's body; false with `error` set when
// its lengths do not fit. A key of another version or an algorithm not read
// here is true with `fault` set.
bool ReadKeyPacket(std::string_view body, OpenPgpKey& key, std::string& error);

// "RSA-4096", "Ed25519", "ECDSA P-256", "DSA", ...
std::string KeyAlgorithmName(const OpenPgpKey& key);
// The key ID: the fingerprint's last eight bytes.
std::string KeyIdOf(const OpenPgpKey& key);
// Upper-case hex of `bytes` in groups of four digits ("ABCD 1234 ...").
std::string FingerprintText(std::string_view bytes, bool grouped);

// The OpenPGP hash algorithm's digest kind; false for MD5's 1 too (true
// with kMd5) only where hash/ has it: 1 MD5, 2 SHA-1, 8 SHA-256, 9 SHA-384,
// 10 SHA-512.
bool DigestKindOfHash(int hash, DigestKind& kind);
// "SHA-256", "SHA-1", "RIPEMD-160", "SHA-224", "SHA3-256", ... or "hash N".
std::string HashName(int hash);
// MD5 (1), SHA-1 (2), RIPEMD-160 (3): hashes whose collisions can be made
// (SHA-1's chosen-prefix ones for about USD 45k in 2020), so that what they
// sign can be forged.
bool IsCollisionProneHash(int hash);

// Whether `signature` (its numbers, its algorithm) is `key`'s over `digest`
// (the hash of the signed bytes and the trailer). A digest whose first two
// bytes are not the signature's left16 is false at once.
bool VerifySignatureDigest(const OpenPgpKey& key, const OpenPgpSignature& signature,
                           const Digest& digest);

}  // namespace sumbrook
