// PublicKeyVerify.h's RSA and ECDSA on Windows' CNG (bcrypt.dll): the key
// imported as a public-key blob, the signature checked by
// BCryptVerifySignature. Ed25519 and BLAKE2b-512, which CNG lacks, are in
// GcryptPublicKeyVerify.cpp.
// clang-format off
#include <windows.h>
#include <bcrypt.h>
// clang-format on

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ScopedCngAlgorithm.h"
#include "platform/ScopedHandle.h"
#include "signature/PublicKeyVerify.h"

namespace sumbrook {

namespace {

struct KeyHandleTraits {
    using Handle = BCRYPT_KEY_HANDLE;
    static Handle NullHandle() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Close(Handle h) { return BCRYPT_SUCCESS(BCryptDestroyKey(h)); }
};
using ScopedKeyHandle = ScopedHandle<KeyHandleTraits>;

// STATUS_NO_MEMORY, which windows.h gives as a DWORD.
constexpr NTSTATUS kNoMemory = static_cast<NTSTATUS>(0xC0000017UL);

[[noreturn]] void Fail(const char* call, NTSTATUS status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
    throw std::runtime_error(std::string("CNG: ") + call + " failed (status " + text + ")");
}

// The three providers, opened on their first use and kept for the rest of
// the process (as the hashers' are: a worker may still verify while the
// process exits). The handles may be used by many threads at once.
enum Provider { kRsa, kEcdsaP256, kEcdsaP384, kProviderCount };
BCRYPT_ALG_HANDLE OpenProvider(Provider which) {
    struct Providers {
        ScopedCngAlgorithm handles[kProviderCount];
        NTSTATUS statuses[kProviderCount] = {};
    };
    static const Providers& providers = *[] {
        auto* opened = new Providers;  // NOLINT: kept to the end of the process
        const wchar_t* const names[kProviderCount] = {
            BCRYPT_RSA_ALGORITHM, BCRYPT_ECDSA_P256_ALGORITHM, BCRYPT_ECDSA_P384_ALGORITHM};
        for (int i = 0; i < kProviderCount; ++i) {
            BCRYPT_ALG_HANDLE handle = nullptr;
            opened->statuses[i] = BCryptOpenAlgorithmProvider(&handle, names[i], nullptr, 0);
            opened->handles[i].Reset(handle);
        }
        return opened;
    }();
    if (!BCRYPT_SUCCESS(providers.statuses[which])) {
        Fail("BCryptOpenAlgorithmProvider", providers.statuses[which]);
    }
    return providers.handles[which].Get();
}

// The key of `blob` ("RSAPUBLICBLOB", "ECCPUBLICBLOB"); none where CNG
// refuses it as a key.
ScopedKeyHandle ImportKey(Provider which, const wchar_t* type, std::vector<std::uint8_t>& blob) {
    BCRYPT_KEY_HANDLE key = nullptr;
    const NTSTATUS status = BCryptImportKeyPair(OpenProvider(which), nullptr, type, &key,
                                                blob.data(), static_cast<ULONG>(blob.size()), 0);
    if (status == kNoMemory) Fail("BCryptImportKeyPair", status);
    return ScopedKeyHandle(BCRYPT_SUCCESS(status) ? key : nullptr);
}

bool Verdict(BCRYPT_KEY_HANDLE key, void* padding, ByteView digest,
             std::vector<std::uint8_t>& signature, ULONG flags) {
    const NTSTATUS status = BCryptVerifySignature(key, padding, const_cast<PUCHAR>(digest.data),
                                                  static_cast<ULONG>(digest.size), signature.data(),
                                                  static_cast<ULONG>(signature.size()), flags);
    if (status == kNoMemory) Fail("BCryptVerifySignature", status);
    return status == 0;  // STATUS_SUCCESS; STATUS_INVALID_SIGNATURE and the rest are not good
}

ByteView Significant(ByteView bytes) {
    while (bytes.size > 0 && bytes.data[0] == 0) {
        ++bytes.data;
        --bytes.size;
    }
    return bytes;
}

template <typename T>
void Append(std::vector<std::uint8_t>& blob, const T& header) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&header);
    blob.insert(blob.end(), bytes, bytes + sizeof header);
}

// `bytes` right-aligned in `width` bytes (the caller has checked they fit).
void AppendPadded(std::vector<std::uint8_t>& blob, ByteView bytes, std::size_t width) {
    blob.insert(blob.end(), width - bytes.size, 0);
    blob.insert(blob.end(), bytes.data, bytes.data + bytes.size);
}

}  // namespace

bool VerifyRsaPkcs1(ByteView modulus, ByteView exponent, SignatureHash hash, ByteView digest,
                    ByteView signature) {
    modulus = Significant(modulus);
    exponent = Significant(exponent);
    signature = Significant(signature);
    const std::size_t digestSize = hash == SignatureHash::kSha256   ? 32
                                   : hash == SignatureHash::kSha384 ? 48
                                                                    : 64;
    // As in the OpenSSL backend: an even modulus or exponent is no key, nor
    // one as wide as 1, nor above OpenSSL's 16384 bits.
    if (modulus.size == 0 || modulus.size > 2048 || (modulus.data[modulus.size - 1] & 1) == 0 ||
        exponent.size == 0 || (exponent.data[exponent.size - 1] & 1) == 0 ||
        exponent.size > modulus.size || (exponent.size == 1 && exponent.data[0] == 1) ||
        digest.size != digestSize || signature.size > modulus.size) {
        return false;
    }
    if (exponent.size == modulus.size &&
        !std::lexicographical_compare(exponent.data, exponent.data + exponent.size, modulus.data,
                                      modulus.data + modulus.size)) {
        return false;
    }
    unsigned bits = 8 * static_cast<unsigned>(modulus.size);
    for (std::uint8_t top = modulus.data[0]; (top & 0x80) == 0;
         top = static_cast<std::uint8_t>(top << 1)) {
        --bits;
    }
    BCRYPT_RSAKEY_BLOB header{};
    header.Magic = BCRYPT_RSAPUBLIC_MAGIC;
    header.BitLength = bits;
    header.cbPublicExp = static_cast<ULONG>(exponent.size);
    header.cbModulus = static_cast<ULONG>(modulus.size);
    std::vector<std::uint8_t> blob;
    Append(blob, header);
    blob.insert(blob.end(), exponent.data, exponent.data + exponent.size);
    blob.insert(blob.end(), modulus.data, modulus.data + modulus.size);
    const ScopedKeyHandle key = ImportKey(kRsa, BCRYPT_RSAPUBLIC_BLOB, blob);
    if (!key.IsValid()) return false;
    // The signature as wide as the modulus, its dropped leading zeros put back.
    std::vector<std::uint8_t> padded;
    AppendPadded(padded, signature, modulus.size);
    BCRYPT_PKCS1_PADDING_INFO padding{hash == SignatureHash::kSha256   ? BCRYPT_SHA256_ALGORITHM
                                      : hash == SignatureHash::kSha384 ? BCRYPT_SHA384_ALGORITHM
                                                                       : BCRYPT_SHA512_ALGORITHM};
    return Verdict(key.Get(), &padding, digest, padded, BCRYPT_PAD_PKCS1);
}

bool VerifyEcdsa(EcdsaCurve curve, ByteView point, ByteView digest, ByteView r, ByteView s) {
    const bool p256 = curve == EcdsaCurve::kP256;
    const std::size_t width = p256 ? 32 : 48;
    r = Significant(r);
    s = Significant(s);
    if (point.size != 1 + 2 * width || point.data[0] != 0x04 || r.size == 0 || s.size == 0 ||
        r.size > width || s.size > width || digest.size == 0) {
        return false;
    }
    BCRYPT_ECCKEY_BLOB header{};
    header.dwMagic = p256 ? BCRYPT_ECDSA_PUBLIC_P256_MAGIC : BCRYPT_ECDSA_PUBLIC_P384_MAGIC;
    header.cbKey = static_cast<ULONG>(width);
    std::vector<std::uint8_t> blob;
    Append(blob, header);
    blob.insert(blob.end(), point.data + 1, point.data + point.size);  // X || Y
    const ScopedKeyHandle key =
        ImportKey(p256 ? kEcdsaP256 : kEcdsaP384, BCRYPT_ECCPUBLIC_BLOB, blob);
    if (!key.IsValid()) return false;
    // r || s, each as wide as the curve's order. A digest longer than the
    // order counts with its leftmost bytes only (FIPS 186-4 6.4), cut here
    // so that every CNG takes it.
    std::vector<std::uint8_t> pair;
    AppendPadded(pair, r, width);
    AppendPadded(pair, s, width);
    digest.size = std::min(digest.size, width);
    return Verdict(key.Get(), nullptr, digest, pair, 0);
}

}  // namespace sumbrook
