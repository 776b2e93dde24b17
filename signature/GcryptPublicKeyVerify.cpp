// PublicKeyVerify.h's Ed25519 and BLAKE2b-512 on Windows, which CNG lacks,
// from libgcrypt (linked statically; its licence, the LGPL, is met as the
// release's LICENSE says). RSA and ECDSA are CNG's (CngPublicKeyVerify.cpp).
#include <gcrypt.h>

#include <climits>
#include <stdexcept>
#include <string>

#include "hash/GcryptStart.h"
#include "signature/PublicKeyVerify.h"

namespace sumbrook {

namespace {

[[noreturn]] void Fail(const char* call, gcry_error_t error) {
    throw std::runtime_error(std::string("libgcrypt: ") + call + " failed (" +
                             gcry_strerror(error) + ")");
}

struct SexpOwner {
    gcry_sexp_t sexp = nullptr;
    SexpOwner() = default;
    SexpOwner(const SexpOwner&) = delete;
    SexpOwner& operator=(const SexpOwner&) = delete;
    ~SexpOwner() { gcry_sexp_release(sexp); }
};

// The S-expression of `format` with its %b arguments (size, bytes).
template <typename... Args>
void Build(SexpOwner& out, const char* format, Args... args) {
    const gcry_error_t error = gcry_sexp_build(&out.sexp, nullptr, format, args...);
    if (error != 0) Fail("gcry_sexp_build", error);
}

// Whether S, the signature's second half (little-endian), is below the
// group's order L = 2^252 + 27742317777372353535851937790883648493, as
// RFC 8032 5.1.7 requires: libgcrypt 1.10 would take S + L as well.
bool BelowOrder(const std::uint8_t* s) {
    static const std::uint8_t kOrder[32] = {0xed, 0xd3, 0xf5, 0x5c, 0x1a, 0x63, 0x12, 0x58,
                                            0xd6, 0x9c, 0xf7, 0xa2, 0xde, 0xf9, 0xde, 0x14,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10};
    for (int i = 31; i >= 0; --i) {
        if (s[i] != kOrder[i]) return s[i] < kOrder[i];
    }
    return false;
}

}  // namespace

bool VerifyEd25519(ByteView publicKey, ByteView message, ByteView signature) {
    if (publicKey.size != 32 || signature.size != 64 || message.size > INT_MAX ||
        !BelowOrder(signature.data + 32)) {
        return false;
    }
    StartGcrypt();
    static const std::uint8_t kNothing = 0;
    const int keySize = 32;
    const int halfSize = 32;
    SexpOwner key;
    SexpOwner data;
    SexpOwner value;
    Build(key, "(public-key(ecc(curve Ed25519)(flags eddsa)(q %b)))", keySize, publicKey.data);
    Build(data, "(data(flags eddsa)(hash-algo sha512)(value %b))", static_cast<int>(message.size),
          message.size == 0 ? &kNothing : message.data);
    Build(value, "(sig-val(eddsa(r %b)(s %b)))", halfSize, signature.data, halfSize,
          signature.data + 32);
    const gcry_error_t error = gcry_pk_verify(value.sexp, data.sexp, key.sexp);
    if (gcry_err_code(error) == GPG_ERR_ENOMEM) Fail("gcry_pk_verify", error);
    return error == 0;
}

}  // namespace sumbrook
