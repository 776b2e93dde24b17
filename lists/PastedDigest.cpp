#include "lists/PastedDigest.h"

#include <cstddef>

#include "lists/DigestKindChoice.h"
#include "lists/ListLineRead.h"
#include "lists/SumLine.h"

namespace sumbrook {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool IsHex(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (HexDigitValue(c) < 0) return false;
    }
    return true;
}

PastedDigest FromHex(std::string_view digits, std::optional<DigestKind> tagged) {
    PastedDigest pasted;
    if (tagged) {
        if (digits.size() != 2 * DigestSize(*tagged)) {
            pasted.error = "the digest has " + std::to_string(digits.size()) + " hex digits; a " +
                           DigestKindName(*tagged) + " digest has " +
                           std::to_string(2 * DigestSize(*tagged));
            return pasted;
        }
        pasted.kinds = {*tagged};
    } else {
        pasted.kinds = DigestKindsOfLength(digits.size());
        if (pasted.kinds.empty()) {
            pasted.error =
                "no algorithm has a digest of " + std::to_string(digits.size()) + " hex digits";
            return pasted;
        }
    }
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        pasted.bytes.push_back(static_cast<unsigned char>(HexDigitValue(digits[i]) * 16 +
                                                          HexDigitValue(digits[i + 1])));
    }
    pasted.ok = true;
    return pasted;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// 32 bytes are 43 base64 characters (the last holding 2 bits, its low 4
// zero) and one '=' of padding.
std::optional<std::vector<unsigned char>> Base64Sha256(std::string_view text) {
    if (text.size() == 44 && text.back() == '=') text.remove_suffix(1);
    if (text.size() != 43) return std::nullopt;
    std::vector<unsigned char> bytes;
    unsigned bits = 0;
    int held = 0;
    for (const char c : text) {
        const int value = Base64Value(c);
        if (value < 0) return std::nullopt;
        bits = (bits << 6U) | static_cast<unsigned>(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            bytes.push_back(static_cast<unsigned char>(bits >> static_cast<unsigned>(held)));
            bits &= (1U << static_cast<unsigned>(held)) - 1U;
        }
    }
    if (bits != 0) return std::nullopt;
    return bytes;
}

PastedDigest NotADigest() {
    PastedDigest pasted;
    pasted.error = "not a digest";
    return pasted;
}

}  // namespace

PastedDigest ParsePastedDigest(std::string_view text) {
    text = Trimmed(text);
    if (text.find_first_of("\r\n") != std::string_view::npos) return NotADigest();
    std::string_view bare = text;
    if (bare.size() > 2 && bare[0] == '0' && (bare[1] == 'x' || bare[1] == 'X')) {
        bare.remove_prefix(2);
    }
    if (IsHex(bare)) return FromHex(bare, std::nullopt);
    if (const auto bytes = Base64Sha256(text)) {
        PastedDigest pasted;
        pasted.ok = true;
        pasted.kinds = {DigestKind::kSha256};
        pasted.bytes = *bytes;
        return pasted;
    }
    ListLineRead read;
    ReadSumLine(text, read);
    if (read.kind == ListLineRead::Kind::kEntry) {
        PastedDigest pasted = FromHex(read.digits, read.tagged);
        if (pasted.ok) pasted.name = std::string(read.name);
        return pasted;
    }
    return NotADigest();
}

bool LooksLikeDigest(std::string_view text) {
    return text.size() <= 4096 && ParsePastedDigest(text).ok;
}

}  // namespace sumbrook
