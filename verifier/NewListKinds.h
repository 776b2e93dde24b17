// The lists "New list..." makes: one entry per digest and form, each with the
// extension its peers look for (sha256sum reads *.sha256, b3sum *.b3), in
// the order the save dialog offers them, each in a format that holds its
// kind (ListFormatDescriptor::holds). BLAKE3 is written as sum lines only:
// b3sum reads no tag lines, nor does cksum -c a BLAKE3 tag.
#pragma once

#include <cstddef>
#include <iterator>
#include <string>

#include "hash/Digest.h"
#include "lists/ListFormat.h"

namespace sumbrook {

struct NewListKind {
    DigestKind digest;
    ListFormat format;      // SFV, sum lines or tag lines
    const char* label;      // "SHA-256 sum lines", for the dialog's file types
    const char* extension;  // without the dot
};

inline constexpr NewListKind kNewListKinds[] = {
    {DigestKind::kCrc32, ListFormat::kSfv, "CRC-32 SFV list", "sfv"},
    {DigestKind::kSha256, ListFormat::kSum, "SHA-256 sum lines", "sha256"},
    {DigestKind::kSha256, ListFormat::kTag, "SHA-256 BSD tags", "sha256"},
    {DigestKind::kSha512, ListFormat::kSum, "SHA-512 sum lines", "sha512"},
    {DigestKind::kSha512, ListFormat::kTag, "SHA-512 BSD tags", "sha512"},
    {DigestKind::kSha1, ListFormat::kSum, "SHA-1 sum lines", "sha1"},
    {DigestKind::kSha1, ListFormat::kTag, "SHA-1 BSD tags", "sha1"},
    {DigestKind::kMd5, ListFormat::kSum, "MD5 sum lines", "md5"},
    {DigestKind::kMd5, ListFormat::kTag, "MD5 BSD tags", "md5"},
    {DigestKind::kBlake3, ListFormat::kSum, "BLAKE3 sum lines", "b3"},
    {DigestKind::kXxh128, ListFormat::kSum, "XXH128 sum lines", "xxh128"},
    {DigestKind::kXxh128, ListFormat::kTag, "XXH128 BSD tags", "xxh128"},
};
inline constexpr std::size_t kNewListKindCount = std::size(kNewListKinds);

// The list a target path asks for when no choice was made (the command
// line's /save): the kind its name names (DigestKindOfListName: "x.sha256",
// "SHA256SUMS") as sum lines, or tag lines when `tag` and the kind has them
// above (BLAKE3 has not: its sum lines); CRC-32 SFV for any other name, and
// for a kind no entry above has.
NewListKind NewListKindOfTarget(const std::string& target, bool tag);

// The name a list of `kind` goes by when `target` was chosen for it: a name
// whose extension or *SUMS name says another kind ("mism.sha256" for MD5
// lines, which sha256sum -c and this program's checks would refuse) takes
// the kind's extension instead ("mism.md5"); any other name is kept.
std::string TargetFollowingKind(const std::string& target, const NewListKind& kind);

}  // namespace sumbrook
