#include "lists/DigestKindChoice.h"

#include <array>
#include <utility>

namespace sumbrook {

namespace {

struct NamedKind {
    std::string_view text;  // lower case
    DigestKind kind;
};

constexpr std::array<NamedKind, 10> kExtensions{{
    {"md5", DigestKind::kMd5},
    {"sha1", DigestKind::kSha1},
    {"sha256", DigestKind::kSha256},
    {"sha384", DigestKind::kSha384},
    {"sha512", DigestKind::kSha512},
    {"b3", DigestKind::kBlake3},
    {"blake3", DigestKind::kBlake3},
    {"xxh3", DigestKind::kXxh3},
    {"xxh128", DigestKind::kXxh128},
    {"xxh64", DigestKind::kXxh64},
}};

constexpr std::array<NamedKind, 6> kSumsNames{{
    {"md5sums", DigestKind::kMd5},
    {"sha1sums", DigestKind::kSha1},
    {"sha256sums", DigestKind::kSha256},
    {"sha384sums", DigestKind::kSha384},
    {"sha512sums", DigestKind::kSha512},
    {"b3sums", DigestKind::kBlake3},
}};

// The kinds of each length, the likelier first.
struct KindsOfLength {
    std::size_t digits;
    std::size_t count;
    std::array<DigestKind, 2> kinds;
};

constexpr std::array<KindsOfLength, 7> kLengths{{
    // rhash writes a CRC-32 as "HEX8  NAME", as sumbrook-cli FILE... does.
    {8, 1, {DigestKind::kCrc32, DigestKind::kCrc32}},
    // xxhsum writes XXH64 untagged, XXH3-64 with its "XXH3_" prefix.
    {16, 2, {DigestKind::kXxh64, DigestKind::kXxh3}},
    {32, 2, {DigestKind::kMd5, DigestKind::kXxh128}},
    {40, 1, {DigestKind::kSha1, DigestKind::kSha1}},
    {64, 2, {DigestKind::kSha256, DigestKind::kBlake3}},
    {96, 1, {DigestKind::kSha384, DigestKind::kSha384}},
    {128, 1, {DigestKind::kSha512, DigestKind::kSha512}},
}};

const KindsOfLength* KindsOf(std::size_t digits) {
    for (const KindsOfLength& kinds : kLengths) {
        if (kinds.digits == digits) return &kinds;
    }
    return nullptr;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lower;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

DigestKindChoice Refused(std::string error) {
    DigestKindChoice choice;
    choice.error = std::move(error);
    return choice;
}

}  // namespace

std::optional<DigestKind> DigestKindOfListName(std::string_view listName) {
    const std::size_t slash = listName.find_last_of("/\\");
    const std::string name =
        Lower(slash == std::string_view::npos ? listName : listName.substr(slash + 1));
    for (const NamedKind& sums : kSumsNames) {
        if (!EndsWith(name, sums.text)) continue;
        const std::size_t before = name.size() - sums.text.size();
        if (before == 0 || name[before - 1] == '-' || name[before - 1] == '_' ||
            name[before - 1] == '.') {
            return sums.kind;
        }
    }
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return std::nullopt;
    const std::string_view extension = std::string_view(name).substr(dot + 1);
    for (const NamedKind& named : kExtensions) {
        if (extension == named.text) return named.kind;
    }
    return std::nullopt;
}

bool DetectsDamageOnly(DigestKind kind) {
    switch (kind) {
        case DigestKind::kCrc32:
        case DigestKind::kXxh3:
        case DigestKind::kXxh128:
        case DigestKind::kXxh64:
            return true;
        case DigestKind::kMd5:
        case DigestKind::kSha1:
        case DigestKind::kSha256:
        case DigestKind::kSha384:
        case DigestKind::kSha512:
        case DigestKind::kBlake3:
            break;
    }
    return false;
}

std::vector<DigestKind> DigestKindsOfLength(std::size_t digits) {
    const KindsOfLength* kinds = KindsOf(digits);
    if (kinds == nullptr) return {};
    return {kinds->kinds.data(), kinds->kinds.data() + kinds->count};
}

DigestKindChoice ChooseDigestKind(std::optional<DigestKind> forced,
                                  std::optional<DigestKind> tagged, std::optional<DigestKind> named,
                                  std::size_t digits) {
    DigestKindChoice choice;
    if (forced && tagged && *forced != *tagged) {
        return Refused(std::string("the line's digest is ") + DigestKindName(*tagged) + ", not " +
                       DigestKindName(*forced) + " as asked");
    }
    const std::optional<DigestKind> told = forced ? forced : tagged ? tagged : named;
    if (told) {
        choice.kind = *told;
    } else {
        const KindsOfLength* kinds = KindsOf(digits);
        if (kinds == nullptr) {
            return Refused("a digest of " + std::to_string(digits) +
                           " digits is of no algorithm known here (8, 16, 32, 40, 64, 96 or 128 "
                           "digits)");
        }
        choice.kind = kinds->kinds[0];
        choice.settled = kinds->count == 1 && digits != 16;
    }
    const std::size_t expected = 2 * DigestSize(choice.kind);
    if (digits != expected) {
        return Refused("the digest has " + std::to_string(digits) + " digits; a " +
                       DigestKindName(choice.kind) + " digest has " + std::to_string(expected));
    }
    choice.ok = true;
    return choice;
}

}  // namespace sumbrook
