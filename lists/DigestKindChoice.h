// Which algorithm a listed digest is of. A list need not say: sha256sum's
// "HEX  NAME" lines carry no algorithm, a tag line ("SHA256 (NAME) = HEX")
// does, a list's name often does (SHA256SUMS, image.iso.md5), and the length
// of the digest narrows it down. The first of these that speaks decides:
//
//   1. the kind the caller forces (the command line's --algorithm);
//   2. the kind the line names (its tag, or a prefix such as xxhsum's "XXH3_");
//   3. the kind the list's name names;
//   4. the digest's length: the kinds of that size in kDigestKindRows, by
//      their rows' lengthRank (16 digits XXH64 first, 64 SHA-256 first).
//
// The length alone leaves a choice where several kinds write digests of that
// length: 64 digits may be BLAKE3 (b3sum's lists), 32 XXH128 (xxhsum -H2),
// and 16 XXH3-64 (xxhsum -H3 with its prefix left off). Such a digest is
// taken for the likeliest kind but not settled: whoever checks the list
// computes every candidate on the first listed file that exists and keeps
// the one that matches for the whole list, so that a wrong guess never
// reports a file as changed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"

namespace sumbrook {

// The kind a list's file name names, in any case, folders before it
// allowed: one of its row's listExtensions (".sha256", ".b3"), or of its
// sumsNames, the names publishers give their lists, also at the end of a
// longer name after '-', '_' or '.' ("ubuntu-24.04-SHA256SUMS").
std::optional<DigestKind> DigestKindOfListName(std::string_view listName);

// Whether a match of digests of `kind` tells only that a file was not
// damaged (its row's detectsDamageOnly): CRC-32 and the XXH kinds are made
// to catch accidents, and a file changed on purpose can be made to match
// them (a CRC-32 with four bytes).
bool DetectsDamageOnly(DigestKind kind);

// The kinds a digest of `digits` hexadecimal digits may be when nothing
// else tells, the likeliest first (as above); empty for any other length.
std::vector<DigestKind> DigestKindsOfLength(std::size_t digits);

// Every length a digest of some kind has, in digits, ascending.
std::vector<std::size_t> DigestLengths();

struct DigestKindChoice {
    bool ok = false;
    DigestKind kind = DigestKind::kCrc32;  // when ok
    // When ok: false when only the length chose `kind` and the length
    // leaves a choice (DigestKindsOfLength has more than one).
    bool settled = true;
    std::string error;  // when not ok: a digest that fits no kind or not the one named
};

// The kind of a listed digest of `digits` digits, by the rule above.
// Refused when the digits do not fit the kind that the forced, tagged or
// named kind chose ("the digest has 40 digits; a SHA-256 digest has 64"),
// when the line's tag names another kind than the forced one, and when no
// kind has that length.
DigestKindChoice ChooseDigestKind(std::optional<DigestKind> forced,
                                  std::optional<DigestKind> tagged, std::optional<DigestKind> named,
                                  std::size_t digits);

}  // namespace sumbrook
