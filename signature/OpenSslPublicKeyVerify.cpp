// PublicKeyVerify.h on OpenSSL's libcrypto (3.x). Each key is built from its
// parts with EVP_PKEY_fromdata (RSA's n and e, the curve's name and point)
// or as a raw Ed25519 key, and checked through EVP_PKEY_verify or
// EVP_DigestVerify. A verdict other than 1 is false; the error queue it
// leaves is cleared so that it cannot be mistaken for another call's.
#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "hash/OpenSslStart.h"
#include "signature/PublicKeyVerify.h"

namespace sumbrook {

namespace {

struct Free {
    void operator()(BIGNUM* n) const { BN_free(n); }
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
    void operator()(EVP_MD* digest) const { EVP_MD_free(digest); }
    void operator()(OSSL_PARAM_BLD* builder) const { OSSL_PARAM_BLD_free(builder); }
    void operator()(OSSL_PARAM* params) const { OSSL_PARAM_free(params); }
    void operator()(ECDSA_SIG* signature) const { ECDSA_SIG_free(signature); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

[[noreturn]] void Fail(const char* call) {
    ERR_clear_error();
    throw std::runtime_error(std::string("OpenSSL: ") + call + " failed");
}

// The verdict of a check that may have failed: only 1 is good.
bool Verdict(int result) {
    if (result != 1) ERR_clear_error();
    return result == 1;
}

// The bytes without their leading zeros (an empty view for zero).
ByteView Significant(ByteView bytes) {
    while (bytes.size > 0 && bytes.data[0] == 0) {
        ++bytes.data;
        --bytes.size;
    }
    return bytes;
}

Owned<BIGNUM> Number(ByteView bytes) {
    Owned<BIGNUM> number(BN_bin2bn(bytes.data, static_cast<int>(bytes.size), nullptr));
    if (!number) Fail("BN_bin2bn");
    return number;
}

// A public key of `type` ("RSA", "EC") from the parameters `build` adds;
// null where the library refuses them as a key.
template <typename Build>
Owned<EVP_PKEY> KeyFromData(const char* type, Build build) {
    const Owned<OSSL_PARAM_BLD> builder(OSSL_PARAM_BLD_new());
    if (!builder) Fail("OSSL_PARAM_BLD_new");
    if (!build(builder.get())) Fail("OSSL_PARAM_BLD_push");
    const Owned<OSSL_PARAM> params(OSSL_PARAM_BLD_to_param(builder.get()));
    if (!params) Fail("OSSL_PARAM_BLD_to_param");
    const Owned<EVP_PKEY_CTX> context(EVP_PKEY_CTX_new_from_name(nullptr, type, nullptr));
    if (!context) Fail("EVP_PKEY_CTX_new_from_name");
    if (EVP_PKEY_fromdata_init(context.get()) != 1) Fail("EVP_PKEY_fromdata_init");
    EVP_PKEY* key = nullptr;
    if (EVP_PKEY_fromdata(context.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
        ERR_clear_error();
        return nullptr;
    }
    return Owned<EVP_PKEY>(key);
}

Owned<EVP_PKEY_CTX> VerifyContext(EVP_PKEY* key) {
    Owned<EVP_PKEY_CTX> context(EVP_PKEY_CTX_new_from_pkey(nullptr, key, nullptr));
    if (!context) Fail("EVP_PKEY_CTX_new_from_pkey");
    if (EVP_PKEY_verify_init(context.get()) != 1) Fail("EVP_PKEY_verify_init");
    return context;
}

struct HashFacts {
    const char* name;
    std::size_t size;
};
HashFacts Facts(SignatureHash hash) {
    switch (hash) {
        case SignatureHash::kSha256:
            return {"SHA256", 32};
        case SignatureHash::kSha384:
            return {"SHA384", 48};
        case SignatureHash::kSha512:
            return {"SHA512", 64};
    }
    return {"SHA512", 64};
}

}  // namespace

bool VerifyRsaPkcs1(ByteView modulus, ByteView exponent, SignatureHash hash, ByteView digest,
                    ByteView signature) {
    StartOpenSsl();
    modulus = Significant(modulus);
    exponent = Significant(exponent);
    signature = Significant(signature);
    const HashFacts facts = Facts(hash);
    // An even modulus or exponent (zero among them) is no RSA key; OpenSSL
    // itself caps the modulus it verifies with (16384 bits).
    if (modulus.size == 0 || (modulus.data[modulus.size - 1] & 1) == 0 || exponent.size == 0 ||
        (exponent.data[exponent.size - 1] & 1) == 0 || exponent.size > modulus.size ||
        digest.size != facts.size || signature.size > modulus.size) {
        return false;
    }
    const Owned<BIGNUM> n = Number(modulus);
    const Owned<BIGNUM> e = Number(exponent);
    if (BN_is_one(e.get()) || BN_cmp(e.get(), n.get()) >= 0) return false;
    const Owned<EVP_PKEY> key = KeyFromData("RSA", [&](OSSL_PARAM_BLD* builder) {
        return OSSL_PARAM_BLD_push_BN(builder, OSSL_PKEY_PARAM_RSA_N, n.get()) == 1 &&
               OSSL_PARAM_BLD_push_BN(builder, OSSL_PKEY_PARAM_RSA_E, e.get()) == 1;
    });
    if (!key) return false;
    const Owned<EVP_PKEY_CTX> context = VerifyContext(key.get());
    if (EVP_PKEY_CTX_set_rsa_padding(context.get(), RSA_PKCS1_PADDING) != 1) {
        Fail("EVP_PKEY_CTX_set_rsa_padding");
    }
    // Fetched from the provider: the library's table of names is not
    // filled (StartOpenSsl), so EVP_get_digestbyname would find none.
    const Owned<EVP_MD> digestKind(EVP_MD_fetch(nullptr, facts.name, nullptr));
    if (!digestKind) Fail("EVP_MD_fetch");
    if (EVP_PKEY_CTX_set_signature_md(context.get(), digestKind.get()) != 1) {
        Fail("EVP_PKEY_CTX_set_signature_md");
    }
    // The signature as wide as the modulus, its dropped leading zeros put back.
    std::vector<std::uint8_t> padded(modulus.size, 0);
    std::copy(signature.data, signature.data + signature.size,
              padded.end() - static_cast<std::ptrdiff_t>(signature.size));
    return Verdict(
        EVP_PKEY_verify(context.get(), padded.data(), padded.size(), digest.data, digest.size));
}

bool VerifyEcdsa(EcdsaCurve curve, ByteView point, ByteView digest, ByteView r, ByteView s) {
    StartOpenSsl();
    const bool p256 = curve == EcdsaCurve::kP256;
    const std::size_t width = p256 ? 32 : 48;
    r = Significant(r);
    s = Significant(s);
    if (point.size != 1 + 2 * width || point.data[0] != 0x04 || r.size == 0 || s.size == 0 ||
        r.size > width || s.size > width || digest.size == 0) {
        return false;
    }
    // EVP_PKEY_fromdata checks that the point lies on the curve.
    const Owned<EVP_PKEY> key = KeyFromData("EC", [&](OSSL_PARAM_BLD* builder) {
        static char p256Name[] = "P-256";
        static char p384Name[] = "P-384";
        return OSSL_PARAM_BLD_push_utf8_string(builder, OSSL_PKEY_PARAM_GROUP_NAME,
                                               p256 ? p256Name : p384Name, 0) == 1 &&
               OSSL_PARAM_BLD_push_octet_string(builder, OSSL_PKEY_PARAM_PUB_KEY, point.data,
                                                point.size) == 1;
    });
    if (!key) return false;
    // The signature as the DER that EVP_PKEY_verify takes.
    const Owned<ECDSA_SIG> pair(ECDSA_SIG_new());
    if (!pair) Fail("ECDSA_SIG_new");
    Owned<BIGNUM> rNumber = Number(r);
    Owned<BIGNUM> sNumber = Number(s);
    if (ECDSA_SIG_set0(pair.get(), rNumber.get(), sNumber.get()) != 1) Fail("ECDSA_SIG_set0");
    (void)rNumber.release();  // the pair owns them now
    (void)sNumber.release();
    unsigned char* der = nullptr;
    const int derSize = i2d_ECDSA_SIG(pair.get(), &der);
    if (derSize <= 0) Fail("i2d_ECDSA_SIG");
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> derOwner(
        der, [](unsigned char* bytes) { OPENSSL_free(bytes); });
    const Owned<EVP_PKEY_CTX> context = VerifyContext(key.get());
    return Verdict(EVP_PKEY_verify(context.get(), der, static_cast<std::size_t>(derSize),
                                   digest.data, digest.size));
}

bool VerifyEd25519(ByteView publicKey, ByteView message, ByteView signature) {
    StartOpenSsl();
    if (publicKey.size != 32 || signature.size != 64) return false;
    const Owned<EVP_PKEY> key(
        EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, publicKey.data, publicKey.size));
    if (!key) {
        ERR_clear_error();
        return false;
    }
    const Owned<EVP_MD_CTX> context(EVP_MD_CTX_new());
    if (!context) Fail("EVP_MD_CTX_new");
    if (EVP_DigestVerifyInit_ex(context.get(), nullptr, nullptr, nullptr, nullptr, key.get(),
                                nullptr) != 1) {
        Fail("EVP_DigestVerifyInit_ex");
    }
    static const std::uint8_t kNothing = 0;
    return Verdict(EVP_DigestVerify(context.get(), signature.data, signature.size,
                                    message.size == 0 ? &kNothing : message.data, message.size));
}

}  // namespace sumbrook
