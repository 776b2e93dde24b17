#include "hash/Digest.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "crc/Crc32.h"

namespace sumbrook {

namespace {

struct KindFacts {
    std::size_t size;
    const char* name;
    const char* option;
};

constexpr std::array<KindFacts, kDigestKindCount> kKinds{{
    {4, "CRC-32", "crc32"},
    {16, "MD5", "md5"},
    {20, "SHA-1", "sha1"},
    {32, "SHA-256", "sha256"},
    {48, "SHA-384", "sha384"},
    {64, "SHA-512", "sha512"},
    {32, "BLAKE3", "blake3"},
    {8, "XXH3-64", "xxh3"},
    {16, "XXH128", "xxh128"},
    {8, "XXH64", "xxh64"},
}};

const KindFacts& FactsOf(DigestKind kind) {
    return kKinds[static_cast<std::size_t>(kind)];
}

// Lower case, without '-'.
std::string Folded(std::string_view text) {
    std::string folded;
    for (const char c : text) {
        if (c == '-') continue;
        folded += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return folded;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::size_t DigestSize(DigestKind kind) {
    return FactsOf(kind).size;
}
const char* DigestKindName(DigestKind kind) {
    return FactsOf(kind).name;
}
const char* DigestKindOption(DigestKind kind) {
    return FactsOf(kind).option;
}

std::optional<DigestKind> DigestKindFromName(std::string_view name) {
    const std::string folded = Folded(name);
    if (folded == "xxh364") return DigestKind::kXxh3;
    for (std::size_t i = 0; i < kDigestKindCount; ++i) {
        if (folded == Folded(kKinds[i].name) || folded == kKinds[i].option) {
            return static_cast<DigestKind>(i);
        }
    }
    return std::nullopt;
}

std::string DigestKindOptionList() {
    std::string list;
    for (const KindFacts& facts : kKinds) {
        if (!list.empty()) list += ", ";
        list += facts.option;
    }
    return list;
}

Digest::Digest(DigestKind kind, const unsigned char* bytes) : kind_(kind) {
    std::memcpy(bytes_.data(), bytes, DigestSize(kind));
}

Digest Digest::FromCrc32(std::uint32_t crc) {
    const unsigned char bytes[4] = {
        static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
        static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
    return Digest(DigestKind::kCrc32, bytes);
}

std::uint32_t Digest::Crc32() const {
    if (kind_ != DigestKind::kCrc32) return 0;
    return static_cast<std::uint32_t>(bytes_[0]) << 24 |
           static_cast<std::uint32_t>(bytes_[1]) << 16 |
           static_cast<std::uint32_t>(bytes_[2]) << 8 | bytes_[3];
}

std::string Digest::Text() const {
    if (kind_ == DigestKind::kCrc32) return Crc32Text(Crc32());
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(Size() * 2);
    for (std::size_t i = 0; i < Size(); ++i) {
        text += kDigits[bytes_[i] >> 4];
        text += kDigits[bytes_[i] & 15];
    }
    return text;
}

std::optional<Digest> Digest::Parse(DigestKind kind, std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    const std::size_t size = DigestSize(kind);
    if (text.size() != size * 2) return std::nullopt;
    std::array<unsigned char, kMaxDigestBytes> bytes{};
    for (std::size_t i = 0; i < size; ++i) {
        const int high = HexDigitValue(text[2 * i]);
        const int low = HexDigitValue(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return Digest(kind, bytes.data());
}

}  // namespace sumbrook
