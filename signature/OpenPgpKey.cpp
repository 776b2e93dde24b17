#include "signature/OpenPgpKey.h"

#include <cstring>

#include "hash/Hasher.h"
#include "signature/PublicKeyVerify.h"

namespace sumbrook {

namespace {

std::uint8_t At(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

// The curves by their OIDs (RFC 9580 9.2).
// (Sized, since one holds a zero byte.)
constexpr std::string_view kOidP256("\x2A\x86\x48\xCE\x3D\x03\x01\x07", 8);
constexpr std::string_view kOidP384("\x2B\x81\x04\x00\x22", 5);
constexpr std::string_view kOidEd25519("\x2B\x06\x01\x04\x01\xDA\x47\x0F\x01", 9);

// One multiprecision integer off the front of `rest`, leading zero bytes
// dropped.
bool TakeNumber(std::string_view& rest, std::string& number) {
    if (rest.size() < 2) return false;
    const std::size_t bits = (static_cast<std::size_t>(At(rest, 0)) << 8) | At(rest, 1);
    const std::size_t bytes = (bits + 7) / 8;
    if (rest.size() - 2 < bytes) return false;
    std::string_view value = rest.substr(2, bytes);
    while (!value.empty() && value.front() == '\0') value.remove_prefix(1);
    number = std::string(value);
    rest.remove_prefix(2 + bytes);
    return true;
}

std::size_t BitsOf(const std::string& number) {
    if (number.empty()) return 0;
    std::size_t bits = number.size() * 8;
    for (auto top = At(number, 0); (top & 0x80) == 0; top = static_cast<std::uint8_t>(top << 1)) {
        --bits;
    }
    return bits;
}

ByteView View(std::string_view bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// `number` with zeros before it to `size` bytes (EdDSA's r and s).
std::string PaddedTo(const std::string& number, std::size_t size) {
    return number.size() >= size ? number : std::string(size - number.size(), '\0') + number;
}

}  // namespace

bool ReadKeyPacket(std::string_view body, OpenPgpKey& key, std::string& error) {
    key = OpenPgpKey();
    key.body = std::string(body);
    if (body.empty()) {
        error = "an empty key packet";
        return false;
    }
    key.version = At(body, 0);
    if (key.version != 4) {
        key.fault = "a version " + std::to_string(key.version) + " key";
        return true;
    }
    if (body.size() < 6) {
        error = "a key packet cut off";
        return false;
    }
    key.created = (static_cast<std::uint32_t>(At(body, 1)) << 24) |
                  (static_cast<std::uint32_t>(At(body, 2)) << 16) |
                  (static_cast<std::uint32_t>(At(body, 3)) << 8) | At(body, 4);
    key.algorithm = At(body, 5);
    std::string_view rest = body.substr(6);
    std::string_view oid;
    if (key.algorithm == 18 || key.algorithm == 19 || key.algorithm == 22) {
        if (rest.empty() || At(rest, 0) == 0 || At(rest, 0) == 0xFF ||
            rest.size() < 1U + At(rest, 0)) {
            error = "the key's curve does not fit the packet";
            return false;
        }
        oid = rest.substr(1, At(rest, 0));
        rest.remove_prefix(1U + At(rest, 0));
    }
    const auto numbers = [&](int count) {
        for (int i = 0; i < count; ++i) {
            std::string number;
            if (!TakeNumber(rest, number)) return false;
            key.numbers.push_back(std::move(number));
        }
        return true;
    };
    bool fits = true;
    switch (static_cast<PublicKeyAlgorithm>(key.algorithm)) {
        case PublicKeyAlgorithm::kRsa:
        case PublicKeyAlgorithm::kRsaSign:
        case PublicKeyAlgorithm::kRsaEncrypt:
            fits = numbers(2);
            if (fits) key.bits = BitsOf(key.numbers[0]);
            if (key.algorithm == 2) key.fault = "an encryption-only RSA key";
            break;
        case PublicKeyAlgorithm::kEcdsa:
            fits = numbers(1);
            key.curveBits = oid == kOidP256 ? 256 : oid == kOidP384 ? 384 : 0;
            if (key.curveBits == 0) key.fault = "ECDSA over a curve not read here";
            break;
        case PublicKeyAlgorithm::kEdDsaLegacy:
            fits = numbers(1);
            key.curveBits = 255;
            if (oid != kOidEd25519) {
                key.fault = "EdDSA over a curve not read here";
            } else if (fits && (key.numbers[0].size() != 33 || At(key.numbers[0], 0) != 0x40)) {
                key.fault = "an Ed25519 point that is not 0x40 and 32 bytes";
            } else if (fits) {
                key.numbers[0].erase(0, 1);
            }
            break;
        case PublicKeyAlgorithm::kEd25519:
            fits = rest.size() >= 32;
            if (fits) key.numbers.emplace_back(rest.substr(0, 32));
            key.curveBits = 255;
            break;
        case PublicKeyAlgorithm::kDsa:
            fits = numbers(4);
            if (fits) key.bits = BitsOf(key.numbers[0]);
            key.fault = "DSA";
            break;
        default:
            key.fault = "an encryption algorithm (" + std::to_string(key.algorithm) + ")";
            break;
    }
    if (!fits) {
        error = "the key's numbers do not fit the packet";
        return false;
    }
    // The v4 fingerprint: SHA-1 of 0x99, the length in two bytes, the body.
    if (body.size() > 0xFFFF) {
        error = "a key packet over 64 KiB";
        return false;
    }
    const auto hasher = MakeHasher(DigestKind::kSha1);
    const char header[3] = {'\x99', static_cast<char>((body.size() >> 8) & 0xFFU),
                            static_cast<char>(body.size() & 0xFFU)};
    hasher->Update(header, 3);
    hasher->Update(body.data(), body.size());
    const Digest fingerprint = hasher->Finish();
    key.fingerprint.assign(reinterpret_cast<const char*>(fingerprint.Bytes()), fingerprint.Size());
    return true;
}

std::string KeyAlgorithmName(const OpenPgpKey& key) {
    switch (static_cast<PublicKeyAlgorithm>(key.algorithm)) {
        case PublicKeyAlgorithm::kRsa:
        case PublicKeyAlgorithm::kRsaSign:
        case PublicKeyAlgorithm::kRsaEncrypt:
            return "RSA-" + std::to_string(key.bits);
        case PublicKeyAlgorithm::kDsa:
            return "DSA-" + std::to_string(key.bits);
        case PublicKeyAlgorithm::kEcdsa:
            return key.curveBits == 0 ? "ECDSA" : "ECDSA P-" + std::to_string(key.curveBits);
        case PublicKeyAlgorithm::kEdDsaLegacy:
        case PublicKeyAlgorithm::kEd25519:
            return "Ed25519";
        case PublicKeyAlgorithm::kEd448:
            return "Ed448";
        default:
            return "algorithm " + std::to_string(key.algorithm);
    }
}

std::string KeyIdOf(const OpenPgpKey& key) {
    return key.fingerprint.size() >= 8 ? key.fingerprint.substr(key.fingerprint.size() - 8)
                                       : std::string();
}

std::string FingerprintText(std::string_view bytes, bool grouped) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (grouped && i > 0 && i % 2 == 0) text.push_back(' ');
        text.push_back(digits[At(bytes, i) >> 4]);
        text.push_back(digits[At(bytes, i) & 15]);
    }
    return text;
}

bool DigestKindOfHash(int hash, DigestKind& kind) {
    switch (hash) {
        case 1:
            kind = DigestKind::kMd5;
            return true;
        case 2:
            kind = DigestKind::kSha1;
            return true;
        case 8:
            kind = DigestKind::kSha256;
            return true;
        case 9:
            kind = DigestKind::kSha384;
            return true;
        case 10:
            kind = DigestKind::kSha512;
            return true;
        default:
            return false;
    }
}

bool IsCollisionProneHash(int hash) {
    return hash == 1 || hash == 2 || hash == 3;
}

std::string HashName(int hash) {
    switch (hash) {
        case 1:
            return "MD5";
        case 2:
            return "SHA-1";
        case 3:
            return "RIPEMD-160";
        case 8:
            return "SHA-256";
        case 9:
            return "SHA-384";
        case 10:
            return "SHA-512";
        case 11:
            return "SHA-224";
        case 12:
            return "SHA3-256";
        case 14:
            return "SHA3-512";
        default:
            return "hash " + std::to_string(hash);
    }
}

bool VerifySignatureDigest(const OpenPgpKey& key, const OpenPgpSignature& signature,
                           const Digest& digest) {
    if (!key.fault.empty() || digest.Size() < 2 ||
        std::memcmp(digest.Bytes(), signature.left16, 2) != 0) {
        return false;
    }
    const ByteView hashed{digest.Bytes(), digest.Size()};
    const auto& numbers = signature.numbers;
    switch (static_cast<PublicKeyAlgorithm>(key.algorithm)) {
        case PublicKeyAlgorithm::kRsa:
        case PublicKeyAlgorithm::kRsaSign: {
            if (signature.algorithm != 1 && signature.algorithm != 3) return false;
            if (numbers.size() != 1) return false;
            SignatureHash hash = SignatureHash::kSha256;
            if (digest.Kind() == DigestKind::kSha384)
                hash = SignatureHash::kSha384;
            else if (digest.Kind() == DigestKind::kSha512)
                hash = SignatureHash::kSha512;
            else if (digest.Kind() != DigestKind::kSha256)
                return false;
            return VerifyRsaPkcs1(View(key.numbers[0]), View(key.numbers[1]), hash, hashed,
                                  View(numbers[0]));
        }
        case PublicKeyAlgorithm::kEcdsa:
            if (signature.algorithm != key.algorithm || numbers.size() != 2) return false;
            return VerifyEcdsa(key.curveBits == 256 ? EcdsaCurve::kP256 : EcdsaCurve::kP384,
                               View(key.numbers[0]), hashed, View(numbers[0]), View(numbers[1]));
        case PublicKeyAlgorithm::kEdDsaLegacy: {
            if (signature.algorithm != key.algorithm || numbers.size() != 2 ||
                numbers[0].size() > 32 || numbers[1].size() > 32) {
                return false;
            }
            const std::string rs = PaddedTo(numbers[0], 32) + PaddedTo(numbers[1], 32);
            return VerifyEd25519(View(key.numbers[0]), hashed, View(rs));
        }
        case PublicKeyAlgorithm::kEd25519:
            if (signature.algorithm != key.algorithm || numbers.size() != 1) return false;
            return VerifyEd25519(View(key.numbers[0]), hashed, View(numbers[0]));
        default:
            return false;
    }
}

}  // namespace sumbrook
