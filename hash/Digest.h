// A checksum of any kind as a value: its kind and its bytes (at most 64),
// with its text and the parsing of a text. CRC-32 is one kind among the
// others; its bytes are the 32-bit value most significant byte first, so
// that its text is the same eight upper-case digits everywhere.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sumbrook {

enum class DigestKind : unsigned char {
    kCrc32,
    kMd5,
    kSha1,
    kSha256,
    kSha384,
    kSha512,
    kBlake3,
    kXxh3,    // XXH3-64
    kXxh128,  // XXH3-128
    kXxh64,   // xxhsum's default
    kSha3_256,
    kSha224,
    kSha3_512,
    kBlake2b,     // BLAKE2b-512, b2sum's
    kBlake2b256,  // BLAKE2b with 32 bytes out: another digest, not a prefix of BLAKE2b's
};
inline constexpr std::size_t kDigestKindCount =
    static_cast<std::size_t>(DigestKind::kBlake2b256) + 1;
inline constexpr std::size_t kMaxDigestBytes = 64;

// The facts below are the kind's row of kDigestKindRows (DigestKindTable.h).
// The bytes of a digest of this kind (32 for SHA-256).
std::size_t DigestSize(DigestKind kind);
// The name people know it by ("SHA-256", "XXH3-64").
const char* DigestKindName(DigestKind kind);
// The name on the command line ("sha256", "xxh3").
const char* DigestKindOption(DigestKind kind);
// Its name or any of its command-line names, in any case, with or without
// '-' ("SHA-256", "sha256", "Sha256", "xxh3-64", "crc-32"); nothing for any
// other text.
std::optional<DigestKind> DigestKindFromName(std::string_view name);
// Every kind's command-line name, in table order: "crc32, md5, sha1, ...".
std::string DigestKindOptionList();

namespace detail {
constexpr std::array<signed char, 256> HexDigitValues() {
    std::array<signed char, 256> values{};
    for (int c = 0; c < 256; ++c) {
        int value = -1;
        if (c >= '0' && c <= '9') value = c - '0';
        if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
        if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
        values[static_cast<std::size_t>(c)] = static_cast<signed char>(value);
    }
    return values;
}
inline constexpr std::array<signed char, 256> kHexDigitValues = HexDigitValues();
}  // namespace detail

// The value of a hex digit of either case, -1 for any other byte: looked
// up inline, since every digit of a list of a million lines is read by it.
inline int HexDigitValue(char c) {
    return detail::kHexDigitValues[static_cast<unsigned char>(c)];
}

class Digest {
  public:
    // A CRC-32 of 0.
    Digest() = default;
    // DigestSize(kind) bytes from `bytes`.
    Digest(DigestKind kind, const unsigned char* bytes);
    static Digest FromCrc32(std::uint32_t crc);

    DigestKind Kind() const { return kind_; }
    std::size_t Size() const { return DigestSize(kind_); }
    const unsigned char* Bytes() const { return bytes_.data(); }
    // The value of a CRC-32 digest (0 for any other kind).
    std::uint32_t Crc32() const;

    // Its bytes as hexadecimal, two digits a byte, in the case of its kind's
    // row: upper for CRC-32 (as Crc32Text), lower for every other kind.
    std::string Text() const;

    // A digest of `kind` from its hexadecimal text: exactly two digits a
    // byte, either case, blanks (spaces, tabs) around it allowed; nothing for
    // any other text.
    static std::optional<Digest> Parse(DigestKind kind, std::string_view text);

    friend bool operator==(const Digest& a, const Digest& b) {
        return a.kind_ == b.kind_ && a.bytes_ == b.bytes_;
    }
    friend bool operator!=(const Digest& a, const Digest& b) { return !(a == b); }

  private:
    DigestKind kind_ = DigestKind::kCrc32;
    std::array<unsigned char, kMaxDigestBytes> bytes_{};  // past Size(): zero
};

}  // namespace sumbrook
