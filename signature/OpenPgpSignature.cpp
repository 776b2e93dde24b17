#include "signature/OpenPgpSignature.h"

#include <array>

namespace sumbrook {

namespace {

std::uint8_t At(std::string_view bytes, std::size_t i) {
    return static_cast<std::uint8_t>(bytes[i]);
}

std::uint32_t Be32(std::string_view bytes) {
    return (static_cast<std::uint32_t>(At(bytes, 0)) << 24) |
           (static_cast<std::uint32_t>(At(bytes, 1)) << 16) |
           (static_cast<std::uint32_t>(At(bytes, 2)) << 8) | At(bytes, 3);
}

// The subpacket types understood here, which may be marked critical: the
// creation and expiry times, exportable, trust, revocable, key expiry,
// preferences, issuer, primary user ID, key flags, signer's user ID, reason
// for revocation, features, embedded signature, issuer fingerprint, intended
// recipient. Any other that is critical makes the signature invalid.
bool Understood(int type) {
    constexpr std::array<int, 21> known = {2,  3,  4,  5,  7,  9,  11, 16, 21, 22, 23,
                                           25, 27, 28, 29, 30, 32, 33, 34, 35, 39};
    for (const int k : known) {
        if (k == type) return true;
    }
    return false;
}

// The subpackets of one area; false when a length does not fit.
bool ReadSubpackets(std::string_view area, bool hashed, OpenPgpSignature& signature) {
    while (!area.empty()) {
        std::size_t length = At(area, 0);
        std::size_t header = 1;
        if (length >= 192 && length < 255) {
            if (area.size() < 2) return false;
            length = ((length - 192) << 8) + At(area, 1) + 192;
            header = 2;
        } else if (length == 255) {
            if (area.size() < 5) return false;
            length = Be32(area.substr(1));
            header = 5;
        }
        if (length == 0 || length > area.size() - header) return false;
        const int type = At(area, header) & 0x7F;
        const bool critical = (At(area, header) & 0x80) != 0;
        const std::string_view data = area.substr(header + 1, length - 1);
        area.remove_prefix(header + length);
        if (type == 16 && data.size() == 8 && signature.issuerKeyId.empty()) {
            signature.issuerKeyId = std::string(data);
        } else if (type == 32 && signature.embedded.empty()) {
            signature.embedded = std::string(data);
        }
        if (!hashed) {
            // Unsigned, so anyone may change them: only the issuer's names
            // (checked against the signed ones) and an embedded signature
            // (signed itself) are taken; any other is refused, lest
            // unsigned bytes ride along with a good signature.
            if (type == 33) {
                if (data.size() != 21 || At(data, 0) != 4) return false;
                signature.unhashedFingerprint = std::string(data.substr(1));
            } else if (type != 16 && type != 32) {
                signature.fault = "an unsigned subpacket of type " + std::to_string(type);
            }
            continue;
        }
        if (critical && !Understood(type)) {
            signature.fault = "an unknown critical subpacket (type " + std::to_string(type) + ")";
        }
        switch (type) {
            case 2:
                if (data.size() != 4) return false;
                signature.created = Be32(data);
                break;
            case 3:
                if (data.size() != 4) return false;
                signature.expiresAfter = Be32(data);
                break;
            case 9:
                if (data.size() != 4) return false;
                signature.keyExpiresAfter = Be32(data);
                break;
            case 27:
                if (!data.empty()) signature.keyFlags = At(data, 0);
                break;
            case 29:
                if (data.empty()) return false;
                signature.revocationReason = At(data, 0);
                break;
            case 33:
                if (data.size() == 21 && At(data, 0) == 4) {
                    signature.issuerFingerprint = std::string(data.substr(1));
                } else if (data.empty()) {
                    return false;
                }
                break;
            default:
                break;
        }
    }
    return true;
}

}  // namespace

bool ReadSignaturePacket(std::string_view body, OpenPgpSignature& signature, std::string& error) {
    signature = OpenPgpSignature();
    if (body.empty()) {
        error = "an empty signature packet";
        return false;
    }
    signature.version = At(body, 0);
    if (signature.version == 3 || signature.version == 2) {
        if (body.size() < 3) {
            error = "a signature packet cut off";
            return false;
        }
        signature.type = At(body, 2);
        return true;
    }
    if (signature.version != 4) return true;
    if (body.size() < 6) {
        error = "a signature packet cut off";
        return false;
    }
    signature.type = At(body, 1);
    signature.algorithm = At(body, 2);
    signature.hash = At(body, 3);
    const std::size_t hashedLength = (static_cast<std::size_t>(At(body, 4)) << 8) | At(body, 5);
    if (body.size() < 6 + hashedLength + 2) {
        error = "the signature's hashed subpackets are longer than the packet";
        return false;
    }
    signature.hashedPart = std::string(body.substr(0, 6 + hashedLength));
    const std::string_view hashed = body.substr(6, hashedLength);
    std::string_view rest = body.substr(6 + hashedLength);
    const std::size_t unhashedLength = (static_cast<std::size_t>(At(rest, 0)) << 8) | At(rest, 1);
    if (rest.size() < 2 + unhashedLength + 2) {
        error = "the signature's unhashed subpackets are longer than the packet";
        return false;
    }
    const std::string_view unhashed = rest.substr(2, unhashedLength);
    if (!ReadSubpackets(hashed, true, signature) || !ReadSubpackets(unhashed, false, signature)) {
        error = "a subpacket of the signature does not fit its length";
        return false;
    }
    // The unsigned names of the issuer must be those the signed ones say.
    if (!signature.issuerFingerprint.empty() &&
        ((!signature.unhashedFingerprint.empty() &&
          signature.unhashedFingerprint != signature.issuerFingerprint) ||
         (!signature.issuerKeyId.empty() &&
          signature.issuerKeyId != signature.issuerFingerprint.substr(12)))) {
        signature.fault = "the unsigned issuer is not the signed one";
    }
    // An unsigned issuer fingerprint alone names the key to try, as a key
    // ID would; the key's check decides.
    if (signature.issuerFingerprint.empty() && !signature.unhashedFingerprint.empty()) {
        signature.issuerFingerprint = signature.unhashedFingerprint;
        if (!signature.issuerKeyId.empty() &&
            signature.issuerKeyId != signature.issuerFingerprint.substr(12)) {
            signature.fault = "the unsigned issuer is not the signed one";
        }
    }
    rest.remove_prefix(2 + unhashedLength);
    signature.left16[0] = At(rest, 0);
    signature.left16[1] = At(rest, 1);
    rest.remove_prefix(2);
    if (signature.algorithm == static_cast<int>(PublicKeyAlgorithm::kEd25519)) {
        if (rest.size() != 64) {
            error = "an Ed25519 signature that is not 64 bytes";
            return false;
        }
        signature.numbers.emplace_back(rest);
        return true;
    }
    // Multiprecision integers: a 16-bit count of bits, then the bytes.
    while (!rest.empty()) {
        if (rest.size() < 2 || signature.numbers.size() == 2) {
            error = "the signature's numbers do not fit the packet";
            return false;
        }
        const std::size_t bits = (static_cast<std::size_t>(At(rest, 0)) << 8) | At(rest, 1);
        const std::size_t bytes = (bits + 7) / 8;
        if (rest.size() - 2 < bytes) {
            error = "the signature's numbers do not fit the packet";
            return false;
        }
        std::string_view number = rest.substr(2, bytes);
        // The count of bits is the number's own: a count that says more or
        // fewer bits than the number has is a damaged signature.
        const unsigned top = bytes == 0 ? 0U : At(number, 0);
        if (bytes != 0 && (top >> ((bits - 1) % 8)) != 1) {
            error = "a number of the signature whose bit count is not its own";
            return false;
        }
        while (!number.empty() && number.front() == '\0') number.remove_prefix(1);
        signature.numbers.emplace_back(number);
        rest.remove_prefix(2 + bytes);
    }
    if (signature.numbers.empty()) {
        error = "a signature without its numbers";
        return false;
    }
    return true;
}

std::string SignatureTrailer(const OpenPgpSignature& signature) {
    std::string trailer = signature.hashedPart;
    const auto size = static_cast<std::uint32_t>(signature.hashedPart.size());
    trailer.push_back('\x04');
    trailer.push_back('\xFF');
    for (int shift = 24; shift >= 0; shift -= 8) {
        trailer.push_back(static_cast<char>((size >> shift) & 0xFFU));
    }
    return trailer;
}

}  // namespace sumbrook
