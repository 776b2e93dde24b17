// The public-key checks under every signature format read here, each done
// by a well-kept library and none by our own arithmetic: OpenSSL's
// libcrypto natively; on Windows, CNG (bcrypt.dll) for RSA and ECDSA and
// libgcrypt for what CNG lacks (Ed25519). A minisign pre-hash is a
// BLAKE2b-512 digest of hash/, as any other.
//
// Each check answers true only for a signature that verifies under the key
// given; a malformed key or signature (wrong lengths, a point not on the
// curve, an exponent of zero) is simply false. Only a failure of the library
// itself (out of memory, a missing algorithm provider) throws
// std::runtime_error. All functions may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sumbrook {

// Bytes owned elsewhere, valid for the call.
struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// The digests a public-key signature is made over here.
enum class SignatureHash { kSha256, kSha384, kSha512 };

// RSASSA-PKCS1-v1_5 (RFC 8017 8.2.2) over `digest`, the message's digest by
// `hash`. `modulus` and `exponent` are big-endian; `signature` is big-endian
// and may be shorter than the modulus (it is padded on the left with zeros,
// as an OpenPGP MPI drops leading zero bytes).
bool VerifyRsaPkcs1(ByteView modulus, ByteView exponent, SignatureHash hash, ByteView digest,
                    ByteView signature);

enum class EcdsaCurve { kP256, kP384 };

// ECDSA (FIPS 186-4) over `digest`. `point` is the uncompressed point
// (0x04 || X || Y); `r` and `s` are big-endian and may carry fewer bytes than
// the curve's order.
bool VerifyEcdsa(EcdsaCurve curve, ByteView point, ByteView digest, ByteView r, ByteView s);

// Ed25519 (RFC 8032 5.1.7, pure): a 32-byte public key, a 64-byte signature
// (R || S) over `message`.
bool VerifyEd25519(ByteView publicKey, ByteView message, ByteView signature);

}  // namespace sumbrook
