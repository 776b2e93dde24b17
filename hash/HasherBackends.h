// The hashers behind MakeHasher, one maker per backend (private to hash/).
#pragma once

#include <memory>

#include "hash/Hasher.h"

namespace sumbrook {

// CRC-32 on crc/'s engine.
std::unique_ptr<Hasher> MakeCrc32Hasher();
// MD5, SHA-1, SHA-256, SHA-384 or SHA-512 from the system's cryptographic
// library: OpenSSL's libcrypto natively, CNG on Windows.
std::unique_ptr<Hasher> MakeSystemHasher(DigestKind kind);
// BLAKE3, 32 bytes, from its official C implementation.
std::unique_ptr<Hasher> MakeBlake3Hasher();
// XXH3-64 or XXH128, the bytes in xxhsum's canonical (big-endian) order.
std::unique_ptr<Hasher> MakeXxHasher(DigestKind kind);

}  // namespace sumbrook
