// The lists "New list..." makes: one entry per digest and form, each with the
// extension its peers look for (sha256sum reads *.sha256, b3sum *.b3), in
// the order the save dialog offers them: the kinds whose rows offer New list
// (DigestKindTable.h) by their places, each in the forms its row names,
// SFV, sum lines, then tag lines. CRC-32 is written as SFV only: sum lines
// hold no CRC-32 (sha256sum's peers would take it for another algorithm), as
// `sumbrook-cli --list` refuses it too. BLAKE3 is written as sum lines only:
// b3sum reads no tag lines, nor does cksum -c a BLAKE3 tag.
#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "hash/Digest.h"
#include "hash/DigestKindTable.h"
#include "lists/ListFormat.h"
#include "verifier/ListFileTypes.h"

namespace sumbrook {

struct NewListKind {
    DigestKind digest = DigestKind::kCrc32;
    ListFormat format = ListFormat::kSfv;  // SFV, sum lines or tag lines
    const char* extension = "";            // without the dot

    // "SHA-256 sum lines", for the dialog's file types.
    std::string Label() const;
};

namespace detail {

constexpr std::size_t NewListKindCount() {
    std::size_t count = 0;
    for (const DigestKindRow& row : kDigestKindRows) {
        for (const unsigned form : {kNewListSfv, kNewListSum, kNewListTag}) {
            if ((row.newListForms & form) != 0) ++count;
        }
    }
    return count;
}

template <std::size_t N>
constexpr std::array<NewListKind, N> NewListKindsInOrder() {
    std::array<NewListKind, N> kinds{};
    std::size_t next = 0;
    for (std::size_t place = 1; place <= kDigestKindRows.size(); ++place) {
        for (const DigestKindRow& row : kDigestKindRows) {
            if (row.newListPlace != place) continue;
            if ((row.newListForms & kNewListSfv) != 0) {
                kinds[next++] = NewListKind{row.kind, ListFormat::kSfv, kSfvListExtension};
            }
            if ((row.newListForms & kNewListSum) != 0) {
                kinds[next++] =
                    NewListKind{row.kind, ListFormat::kSum, row.listExtensions[0].data()};
            }
            if ((row.newListForms & kNewListTag) != 0) {
                kinds[next++] =
                    NewListKind{row.kind, ListFormat::kTag, row.listExtensions[0].data()};
            }
        }
    }
    return kinds;
}

}  // namespace detail

inline constexpr std::size_t kNewListKindCount = detail::NewListKindCount();
inline constexpr std::array<NewListKind, kNewListKindCount> kNewListKinds =
    detail::NewListKindsInOrder<kNewListKindCount>();
static_assert(kNewListKindCount > 0 && kNewListKinds[0].format == ListFormat::kSfv,
              "New list's first type, the one for any other name, is an SFV list");

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
