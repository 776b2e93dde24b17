// Every fact of every digest kind, one row per DigestKind in the order of
// the enum: what it is called, how its digests are written, the lists that
// hold it, where its hasher comes from in each build, and what each front
// end offers of it. Everything else asks this table: the names and sizes
// (Digest), the hashers (MakeHasher and its backends), the sharing of
// threads (DigestSet), the tags, escapes and list names (lists/), the
// choice of a kind by a digest's length, New list, the one-file window,
// the Explorer verbs, the dialogs' filters and the command line's help.
//
// Adding a kind: its enumerator at the end of DigestKind, its row at the
// end of kDigestKindRows, and a backend file where none of those below has
// it (a HasherBackend, its maker in HasherBackends.h, a case in
// MakeHasher). The checks at the end of this file refuse a row that breaks
// the table's rules at compile time.
//
// hash/ knows no list format: the list facts are plain data that lists/
// reads (SumLine, DigestKindChoice).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "hash/Digest.h"

namespace sumbrook {

// How the tool of a kind writes a name with a backslash, LF or CR on a
// sum or tag line (an escaped line starts with '\'):
enum class NameEscaping : unsigned char {
    // md5sum, sha256sum, cksum: "\\", "\n" and "\r".
    kCoreutils,
    // b3sum: "\\" and "\n"; a CR as it is (b3sum refuses "\r"), so a name
    // that ends with CR cannot be listed.
    kB3sum,
    // xxhsum, which reads no escapes: the name as it is, escaped only when
    // it holds LF (then "\\" and "\n"), so a name with LF or ending with CR
    // cannot be listed.
    kXxhsum,
};

enum class DigitCase : unsigned char { kLower, kUpper };

// Where a hasher comes from. Each build takes the row's backend for it.
enum class HasherBackend : unsigned char {
    kCrc32Engine,  // crc/ (our own)
    kOpenSsl,      // OpenSSL's libcrypto, by the row's openSslName (native build)
    kCng,          // CNG, bcrypt.dll, by the row's cngName (Windows build)
    kBlake3,       // BLAKE3's official C implementation
    kXxHash,       // xxhash.h, inline
    kGcrypt,       // libgcrypt, by the row's gcryptName
};

// The forms of list New list offers of a kind (bits of newListForms), each
// its own file type in the save dialog, in this order.
enum NewListForm : unsigned char {
    kNewListSfv = 1,  // "NAME CRC" lines
    kNewListSum = 2,  // "HEX  NAME"
    kNewListTag = 4,  // "TAG (NAME) = HEX"
};

// Several texts in a field: the empty ones at its end are no entry.
template <std::size_t N>
using Texts = std::array<std::string_view, N>;

struct DigestKindRow {
    DigestKind kind;
    // The name people know it by ("SHA-256"): every message says it.
    std::string_view name;
    // Its names on the command line, the first the one written
    // (DigestKindOption). Any of these and `name` is taken in any case,
    // with or without '-'.
    Texts<2> options;
    std::size_t size;  // bytes
    DigitCase digitCase;
    // Among the kinds of the same size, where only a digest's length tells
    // the kind: 0 the likeliest, then 1, 2... Every candidate is tried on a
    // list's first file, so this is only the first guess.
    unsigned char lengthRank;
    // Whether a match tells only that a file was not damaged: a file
    // changed on purpose can be made to match it (a CRC-32 with four bytes).
    bool detectsDamageOnly;

    // -- Lists
    // The tags of tag lines ("SHA256 (NAME) = HEX"): the first written as
    // it stands (cksum reads "BLAKE2b" alone), all read in any case; `name`
    // and `options` are read as tags too.
    Texts<2> tags;
    // Whether the tools of the kind read its tag lines (b3sum and cksum -c
    // read no BLAKE3 tag line, so none is written).
    bool toolsReadTagLines;
    // Its sum lines are tag lines: its tool takes an untagged digest of its
    // length for another kind (xxhsum: 16 digits are XXH64).
    bool sumLineIsTagLine;
    // The prefix of the digest on a sum line that names the kind, or ""
    // (xxhsum 0.8.2 on: "XXH3_").
    std::string_view sumPrefix;
    NameEscaping escaping;
    // The extensions of its lists, without the dot, any case; the first is
    // written (New list, /save).
    Texts<2> listExtensions;
    // The names publishers give its lists, any case, alone or at the end of
    // a longer name after '-', '_' or '.' ("ubuntu-24.04-SHA256SUMS").
    Texts<1> sumsNames;

    // -- Hashing
    HasherBackend nativeBackend;
    HasherBackend windowsBackend;
    const char* openSslName;  // EVP_MD_fetch's name, where nativeBackend is kOpenSsl
    const wchar_t* cngName;   // BCryptOpenAlgorithmProvider's, where windowsBackend is kCng
    // Its time per byte against the other kinds', in each build: only what
    // shares the hashers of one read out among threads (DigestSet). Native:
    // OpenSSL has SHA instructions for SHA-1 and SHA-256 and none for MD5
    // or SHA-512, which is the slowest: processor seconds of a cached 1 GiB
    // file (sumbrook-cli -j1) SHA-512 1.98 and 1.80, MD5 1.87 and 1.67,
    // SHA-256 0.87 and 0.78, SHA-1 0.85 and 0.75, BLAKE3 0.27 and 0.42,
    // CRC-32 0.10 and 0.21, on Intel Xeon family 6 model 207 and AMD EPYC
    // family 25 model 17 (both AVX-512); the six then split into shares of
    // 2.95 and 2.99 s of the first.
    // Windows: CNG's SHA-512 is the slowest of its kinds, the more so in a
    // 32-bit program, as is Wine's: there, of 256 MiB, SHA-512 took 2.75 s,
    // SHA-256 1.71, SHA-1 0.77, MD5 0.47 and BLAKE3 0.15, so that SHA-512
    // with the small kinds is as long as the rest together.
    unsigned char nativeCost;
    unsigned char windowsCost;
    // How its hasher is best handed bytes in place out of a mapping
    // (RunningDigest, files/RunningDigest.h, has the figures): 0, as they
    // come; else, on Intel's processors, a little at a time, with a line
    // touched ahead of it every so many bytes: on family 6 model 167, SHA-1
    // and SHA-256 in SHA instructions spent a quarter of their time waiting
    // on memory otherwise (one line a page did best), XXH64 a sixth (every
    // line), MD5 4%; the other kinds came out even or slower.
    unsigned short prefetchStride;
    // Whether, on Intel's processors, a mapping's pages are timed as they
    // come in before it hashes them in place, and copied instead where they
    // come in slowly (files/FileChecksumPosix.cpp, DefaultPageProbe): on
    // family 6 model 167, of a cached 1 GiB file in small folios, SHA-1,
    // SHA-224 and SHA-256 hashed mapped at 0.85-0.87 of rhash's and
    // openssl's speed and copied at 1.02-1.03, XXH64 at 0.71 and 0.98 of
    // xxhsum's; every other kind the other way round (MD5 1.04 against
    // 0.99, BLAKE3 0.99 against 0.86 of b3sum, CRC-32 5.43 against 4.86 of
    // rhash). AMD's processors time every kind's pages.
    bool probedOnIntel;

    // -- Front ends
    // Its place among New list's kinds (1 first), 0 when not offered, and
    // the forms offered (NewListForm bits).
    unsigned char newListPlace;
    unsigned char newListForms;
    // Whether the one-file window computes it on every read (in table order).
    bool oneFileWindow;
    // What --help says of it beside its names and length: the tools it is
    // for and what is particular to it.
    std::string_view help;

    // -- Last, since most rows have none: libgcrypt's name of it (as
    // gcry_md_map_name takes it), where either build's backend is kGcrypt.
    const char* gcryptName = nullptr;
};

// clang-format off
inline constexpr std::array<DigestKindRow, kDigestKindCount> kDigestKindRows{{
    {DigestKind::kCrc32, "CRC-32", {"crc32"}, 4, DigitCase::kUpper, 0, true,
     {"CRC32"}, true, false, "", NameEscaping::kCoreutils, {}, {},
     HasherBackend::kCrc32Engine, HasherBackend::kCrc32Engine, nullptr, nullptr, 1, 1, 0, false,
     1, kNewListSfv, true,
     "SFV lists, protocols, rhash --simple"},
    {DigestKind::kMd5, "MD5", {"md5"}, 16, DigitCase::kLower, 0, false,
     {"MD5"}, true, false, "", NameEscaping::kCoreutils, {"md5"}, {"MD5SUMS"},
     HasherBackend::kOpenSsl, HasherBackend::kCng, "MD5", L"MD5", 17, 3, 4096, false,
     5, kNewListSum | kNewListTag, true,
     "md5sum"},
    {DigestKind::kSha1, "SHA-1", {"sha1"}, 20, DigitCase::kLower, 0, false,
     {"SHA1"}, true, false, "", NameEscaping::kCoreutils, {"sha1"}, {"SHA1SUMS"},
     HasherBackend::kOpenSsl, HasherBackend::kCng, "SHA1", L"SHA1", 8, 5, 4096, true,
     4, kNewListSum | kNewListTag, true,
     "sha1sum"},
    {DigestKind::kSha256, "SHA-256", {"sha256"}, 32, DigitCase::kLower, 0, false,
     {"SHA256", "SHA2-256"}, true, false, "", NameEscaping::kCoreutils, {"sha256"}, {"SHA256SUMS"},
     HasherBackend::kOpenSsl, HasherBackend::kCng, "SHA256", L"SHA256", 8, 10, 4096, true,
     2, kNewListSum | kNewListTag, true,
     "sha256sum; --list's default"},
    {DigestKind::kSha384, "SHA-384", {"sha384"}, 48, DigitCase::kLower, 0, false,
     {"SHA384", "SHA2-384"}, true, false, "", NameEscaping::kCoreutils, {"sha384"}, {"SHA384SUMS"},
     HasherBackend::kOpenSsl, HasherBackend::kCng, "SHA384", L"SHA384", 19, 16, 0, false,
     0, 0, false,
     "sha384sum"},
    {DigestKind::kSha512, "SHA-512", {"sha512"}, 64, DigitCase::kLower, 0, false,
     {"SHA512", "SHA2-512"}, true, false, "", NameEscaping::kCoreutils, {"sha512"}, {"SHA512SUMS"},
     HasherBackend::kOpenSsl, HasherBackend::kCng, "SHA512", L"SHA512", 19, 16, 0, false,
     3, kNewListSum | kNewListTag, true,
     "sha512sum"},
    {DigestKind::kBlake3, "BLAKE3", {"blake3"}, 32, DigitCase::kLower, 1, false,
     {"BLAKE3"}, false, false, "", NameEscaping::kB3sum, {"b3", "blake3"}, {"B3SUMS"},
     HasherBackend::kBlake3, HasherBackend::kBlake3, nullptr, nullptr, 3, 1, 0, false,
     6, kNewListSum, true,
     "b3sum (no tag lines: b3sum and cksum -c read none); --compare's default"},
    {DigestKind::kXxh3, "XXH3-64", {"xxh3"}, 8, DigitCase::kLower, 1, true,
     {"XXH3"}, true, true, "XXH3_", NameEscaping::kXxhsum, {"xxh3"}, {},
     HasherBackend::kXxHash, HasherBackend::kXxHash, nullptr, nullptr, 1, 1, 0, false,
     0, 0, false,
     "xxhsum -H3; its lines are tag lines (\"XXH3 (NAME) = HEX\"), as xxhsum writes "
     "them, since xxhsum reads an untagged 16-digit digest as XXH64"},
    {DigestKind::kXxh128, "XXH128", {"xxh128"}, 16, DigitCase::kLower, 1, true,
     {"XXH128"}, true, false, "", NameEscaping::kXxhsum, {"xxh128"}, {},
     HasherBackend::kXxHash, HasherBackend::kXxHash, nullptr, nullptr, 1, 1, 0, false,
     7, kNewListSum | kNewListTag, false,
     "xxhsum -H2"},
    {DigestKind::kXxh64, "XXH64", {"xxh64"}, 8, DigitCase::kLower, 0, true,
     {"XXH64"}, true, false, "", NameEscaping::kXxhsum, {"xxh64"}, {},
     HasherBackend::kXxHash, HasherBackend::kXxHash, nullptr, nullptr, 1, 1, 64, true,
     0, 0, false,
     "xxhsum's default"},
    {DigestKind::kSha3_256, "SHA3-256", {"sha3-256"}, 32, DigitCase::kLower, 2, false,
     {"SHA3-256"}, true, false, "", NameEscaping::kCoreutils, {"sha3-256", "sha3"}, {},
     HasherBackend::kOpenSsl, HasherBackend::kGcrypt, "SHA3-256", nullptr, 25, 20, 0, false,
     8, kNewListSum | kNewListTag, false,
     "openssl dgst -sha3-256, cksum -a sha3 -l 256", "SHA3-256"},
    {DigestKind::kSha224, "SHA-224", {"sha224"}, 28, DigitCase::kLower, 0, false,
     {"SHA224", "SHA2-224"}, true, false, "", NameEscaping::kCoreutils, {"sha224"}, {"SHA224SUMS"},
     HasherBackend::kOpenSsl, HasherBackend::kGcrypt, "SHA224", nullptr, 9, 3, 4096, true,
     11, kNewListSum | kNewListTag, false,
     "sha224sum", "SHA224"},
    {DigestKind::kSha3_512, "SHA3-512", {"sha3-512"}, 64, DigitCase::kLower, 2, false,
     {"SHA3-512"}, true, false, "", NameEscaping::kCoreutils, {"sha3-512"}, {},
     HasherBackend::kOpenSsl, HasherBackend::kGcrypt, "SHA3-512", nullptr, 50, 40, 0, false,
     10, kNewListSum | kNewListTag, false,
     "openssl dgst -sha3-512, cksum -a sha3 -l 512", "SHA3-512"},
    // BLAKE2b from libgcrypt in both builds: natively its AVX2 code hashes a
    // third faster than OpenSSL 3.0's, which has no BLAKE2b-256 (its plain C
    // where the AVX2 code is slower: hash/GcryptStart.cpp).
    {DigestKind::kBlake2b, "BLAKE2b", {"blake2b", "blake2b-512"}, 64, DigitCase::kLower, 1, false,
     {"BLAKE2b", "BLAKE2B-512"}, true, false, "", NameEscaping::kCoreutils, {"b2", "blake2b"},
     {"B2SUMS"},
     HasherBackend::kGcrypt, HasherBackend::kGcrypt, nullptr, nullptr, 12, 12, 0, false,
     9, kNewListSum | kNewListTag, false,
     "b2sum, cksum -a blake2b; Arch Linux's b2sums.txt", "BLAKE2B_512"},
    {DigestKind::kBlake2b256, "BLAKE2b-256", {"blake2b-256"}, 32, DigitCase::kLower, 3, false,
     {"BLAKE2b-256"}, true, false, "", NameEscaping::kCoreutils, {}, {},
     HasherBackend::kGcrypt, HasherBackend::kGcrypt, nullptr, nullptr, 12, 12, 0, false,
     0, 0, false,
     "b2sum -l 256, cksum -a blake2b -l 256", "BLAKE2B_256"},
}};
// clang-format on

// The row of `kind`.
constexpr const DigestKindRow& RowOf(DigestKind kind) {
    return kDigestKindRows[static_cast<std::size_t>(kind)];
}

// The backend and the cost of the row in this build.
constexpr HasherBackend BackendOfThisBuild(const DigestKindRow& row) {
#ifdef _WIN32
    return row.windowsBackend;
#else
    return row.nativeBackend;
#endif
}
constexpr unsigned CostOfThisBuild(const DigestKindRow& row) {
#ifdef _WIN32
    return row.windowsCost;
#else
    return row.nativeCost;
#endif
}

// The number of texts in a field.
template <std::size_t N>
constexpr std::size_t TextCount(const Texts<N>& texts) {
    std::size_t count = 0;
    while (count < N && !texts[count].empty()) ++count;
    return count;
}

namespace detail {

constexpr bool RowsFollowTheEnum() {
    for (std::size_t i = 0; i < kDigestKindRows.size(); ++i) {
        if (static_cast<std::size_t>(kDigestKindRows[i].kind) != i) return false;
    }
    return true;
}

constexpr bool IsEmptyOrUpper(const std::string_view& text) {
    for (const char c : text) {
        if (c >= 'a' && c <= 'z') return false;
    }
    return true;
}

template <std::size_t N>
constexpr bool HasGaps(const Texts<N>& texts) {
    for (std::size_t i = TextCount(texts); i < N; ++i) {
        if (!texts[i].empty()) return true;
    }
    return false;
}

constexpr bool RowsAreWhole() {
    for (const DigestKindRow& row : kDigestKindRows) {
        if (row.name.empty() || TextCount(row.options) == 0 || TextCount(row.tags) == 0) {
            return false;
        }
        if (row.size == 0 || row.size > kMaxDigestBytes || row.help.empty()) return false;
        if (HasGaps(row.options) || HasGaps(row.tags) || HasGaps(row.listExtensions)) return false;
        if (!IsEmptyOrUpper(row.sumsNames[0])) return false;
        if ((row.newListPlace == 0) != (row.newListForms == 0)) return false;
        // A list of the kind's tag lines is no list its tools read.
        if (!row.toolsReadTagLines && (row.newListForms & kNewListTag) != 0) return false;
        // A form of list needs the extension it is saved with (SFV has its own).
        if ((row.newListForms & (kNewListSum | kNewListTag)) != 0 &&
            TextCount(row.listExtensions) == 0) {
            return false;
        }
    }
    return true;
}

// Each build's backend is one that build has, named where it takes a name.
constexpr bool BackendsExist() {
    for (const DigestKindRow& row : kDigestKindRows) {
        if (row.nativeBackend == HasherBackend::kCng) return false;
        if (row.windowsBackend == HasherBackend::kOpenSsl) return false;
        if ((row.nativeBackend == HasherBackend::kOpenSsl) != (row.openSslName != nullptr)) {
            return false;
        }
        if ((row.windowsBackend == HasherBackend::kCng) != (row.cngName != nullptr)) return false;
        if ((row.nativeBackend == HasherBackend::kGcrypt ||
             row.windowsBackend == HasherBackend::kGcrypt) != (row.gcryptName != nullptr)) {
            return false;
        }
        if (row.nativeCost == 0 || row.windowsCost == 0) return false;
    }
    return true;
}

// Among the kinds of one size, each rank once, from 0 on; New list's
// places each once, from 1 on.
constexpr bool RanksAndPlacesAreDistinct() {
    for (const DigestKindRow& row : kDigestKindRows) {
        std::size_t below = 0;
        std::size_t places = 0;
        for (const DigestKindRow& other : kDigestKindRows) {
            if (&other == &row) continue;
            if (other.size == row.size) {
                if (other.lengthRank == row.lengthRank) return false;
                if (other.lengthRank < row.lengthRank) ++below;
            }
            if (row.newListPlace != 0 && other.newListPlace != 0) {
                if (other.newListPlace == row.newListPlace) return false;
                if (other.newListPlace < row.newListPlace) ++places;
            }
        }
        if (below != row.lengthRank) return false;
        if (row.newListPlace != 0 && places != row.newListPlace - 1U) return false;
    }
    return true;
}

}  // namespace detail

static_assert(detail::RowsFollowTheEnum(), "kDigestKindRows: one row per DigestKind, in its order");
static_assert(detail::RowsAreWhole(), "kDigestKindRows: a row lacks a fact or contradicts itself");
static_assert(detail::BackendsExist(), "kDigestKindRows: a backend that build does not have");
static_assert(detail::RanksAndPlacesAreDistinct(),
              "kDigestKindRows: length ranks (per size) from 0 and New list places from 1, each "
              "once");

}  // namespace sumbrook
