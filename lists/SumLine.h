// The lines of the lists that sha256sum, md5sum, sha1sum, sha512sum,
// b3sum, xxhsum, cksum and openssl write and check, in their two forms:
//
//   sum lines:  HEX  NAME              (text mode)
//               HEX *NAME              (binary mode: the same digest)
//               XXH3_HEX  NAME         (xxhsum 0.8.2 on: the prefix names XXH3-64)
//   tag lines:  SHA256 (NAME) = HEX    (sha256sum --tag, cksum -a sha256)
//               SHA2-256(NAME)= HEX    (openssl dgst)
//               MD5   (NAME) = HEX     (padded)
//               XXH3 (NAME) = HEX      (xxhsum -H3, and --tag)
//
// The name is every byte after the digest's two marks, up to the line's
// end; in a tag line every byte from the first '(' to the last ')'. A line
// that starts with '\' has its name escaped as coreutils escapes it: "\\",
// "\n" and "\r" for a backslash, LF and CR, and no other '\'. The digest's
// digits may be of either case. Blank lines and lines that start with '#'
// hold nothing. A digest alone on its line ("HEX") is the digest file of
// one download; the list's name tells which file (ListReader).
#pragma once

#include <string>
#include <string_view>

#include "hash/Digest.h"
#include "lists/ListLineRead.h"

namespace sumbrook {

// Reads one sum or tag line (its line end gone) into `read`: an entry, a
// digest alone, nothing, or what is wrong with it: an unknown algorithm in a
// tag line (form kTag), a bad escape, a NUL byte in the name, no name, or no
// such form. The digits are checked to be hexadecimal; their number is
// ChooseDigestKind's to judge.
void ReadSumLine(std::string_view line, ListLineRead& read);

// The tag an algorithm has in tag lines, as sha256sum --tag, cksum and
// xxhsum write it: the first of its row's tags ("SHA256", "XXH3", "CRC32").
const char* DigestTag(DigestKind kind);

// Empty when `name` can be written on a sum or tag line so that it reads
// back unchanged; else why not (empty, a NUL byte, too long for a line).
std::string SumNameFault(std::string_view name);

// SumNameFault, and for the kinds whose tools write a name's CR as it is
// (NameEscaping::kB3sum and kXxhsum): a name that ends with CR, which reads
// back here without it; for xxhsum's (kXxhsum), a name with LF, which
// xxhsum -c skips.
std::string SumNameFaultOf(std::string_view name, DigestKind kind);

// The sum line of `name` as the tool of the digest's kind writes it,
// without a line end (the lists are LF-only: b3sum and xxhsum refuse CR LF),
// escaped as the row's NameEscaping says:
// - kCoreutils (MD5, SHA-*): "HEX  NAME", as md5sum and sha256sum write it,
//   escaped ('\' first) when the name holds '\', LF or CR;
// - kB3sum (BLAKE3): escaped when the name holds '\' or LF, a CR left as
//   it is (b3sum refuses "\r");
// - kXxhsum (XXH128, XXH64): the name as it is (xxhsum reads no escapes),
//   escaped only when it holds LF;
// - a kind whose row says its sum lines are tag lines (XXH3-64): "XXH3
//   (NAME) = HEX", as xxhsum -H3 writes it: xxhsum reads an untagged
//   16-digit digest as XXH64;
// - CRC-32: as for MD5 (rhash --simple), which reads back as CRC-32 only
//   where the kind is forced: a sum list does not hold it (ListFormat).
std::string SumLine(std::string_view name, const Digest& digest);

// The tag line of `name`, as sha256sum --tag writes it: "SHA256 (NAME) =
// HEX", escaped as the sum line of the same kind is.
std::string TagLine(std::string_view name, const Digest& digest);

}  // namespace sumbrook
