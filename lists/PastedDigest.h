// What a user pastes as the digest a file should have: the digest alone
// (hexadecimal of either case, a "0x" before it, blanks and line breaks
// around it), the line a tool printed for the file (a sum line "HEX  NAME"
// or "HEX *NAME", a tag line "SHA256 (NAME) = HEX" or OpenSSL's
// "SHA2-256(NAME)= HEX"), or a SHA-256 in base64 (44 characters ending in
// '=', or the 43 before it). A line's name is kept, for the caller to set
// beside the file's own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"

namespace sumbrook {

struct PastedDigest {
    bool ok = false;
    // When ok: the kinds the digest may be of, the likeliest first: the one a
    // tag names, else those of its length (DigestKindsOfLength: 8 digits
    // CRC-32, 16 XXH64 or XXH3-64, 64 SHA-256 or BLAKE3...); base64 is
    // SHA-256.
    std::vector<DigestKind> kinds;
    std::vector<unsigned char> bytes;
    std::optional<std::string> name;  // the name on a pasted line
    // When not ok: "not a digest", "no algorithm has a digest of N hex
    // digits", or what a tag line's digest lacks.
    std::string error;

    // The digest as `kind`, one of `kinds`.
    Digest As(DigestKind kind) const { return Digest(kind, bytes.data()); }
};

PastedDigest ParsePastedDigest(std::string_view text);

// Whether `text` (a clipboard's) reads as a digest, to offer it unasked.
bool LooksLikeDigest(std::string_view text);

}  // namespace sumbrook
