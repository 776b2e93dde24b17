#include "hash/Digest.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "hash/DigestKindTable.h"

namespace sumbrook {

namespace {

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
    return RowOf(kind).size;
}
const char* DigestKindName(DigestKind kind) {
    return RowOf(kind).name.data();
}
const char* DigestKindOption(DigestKind kind) {
    return RowOf(kind).options[0].data();
}

std::optional<DigestKind> DigestKindFromName(std::string_view name) {
    const std::string folded = Folded(name);
    for (const DigestKindRow& row : kDigestKindRows) {
        if (folded == Folded(row.name)) return row.kind;
        for (const std::string_view option : row.options) {
            if (!option.empty() && folded == Folded(option)) return row.kind;
        }
    }
    return std::nullopt;
}

std::string DigestKindOptionList() {
    std::string list;
    for (const DigestKindRow& row : kDigestKindRows) {
        if (!list.empty()) list += ", ";
        list += row.options[0];
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
    const char* digits =
        RowOf(kind_).digitCase == DigitCase::kUpper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text;
    text.reserve(Size() * 2);
    for (std::size_t i = 0; i < Size(); ++i) {
        text += digits[bytes_[i] >> 4];
        text += digits[bytes_[i] & 15];
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
