// The hashers behind MakeHasher, one maker per HasherBackend (private to
// hash/); the table's row of a kind says which makes it in each build.
#pragma once

#include <memory>

#include "hash/Hasher.h"

namespace sumbrook {

// CRC-32 on crc/'s engine.
std::unique_ptr<Hasher> MakeCrc32Hasher();
#ifdef _WIN32
// A kind whose row names its CNG algorithm (cngName), from bcrypt.dll.
std::unique_ptr<Hasher> MakeCngHasher(DigestKind kind);
#else
// A kind whose row names its OpenSSL algorithm (openSslName), from libcrypto.
std::unique_ptr<Hasher> MakeOpenSslHasher(DigestKind kind);
#endif
// BLAKE3, 32 bytes, from its official C implementation.
std::unique_ptr<Hasher> MakeBlake3Hasher();
// XXH3-64, XXH128 or XXH64, the bytes in xxhsum's canonical (big-endian) order.
std::unique_ptr<Hasher> MakeXxHasher(DigestKind kind);
// A kind whose row names its libgcrypt algorithm (gcryptName).
std::unique_ptr<Hasher> MakeGcryptHasher(DigestKind kind);

}  // namespace sumbrook
