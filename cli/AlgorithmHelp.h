// The parts of sumbrook-cli --help that speak of the digest kinds, made
// from their table (DigestKindTable.h), so that the help says what the
// code does: the names ALGO takes with a line per kind, and how a listed
// digest's kind is chosen (list names, lengths, candidates per length).
#pragma once

#include <string>

#include "hash/Digest.h"

namespace sumbrook {

// The width the help's paragraphs are wrapped to.
inline constexpr std::size_t kHelpWidth = 84;

// A kind's line in the table of ALGO, continued on further lines (indented
// to its text) where long: "  sha256   SHA-256   64 digits  sha256sum; ...".
std::string AlgorithmHelpLine(DigestKind kind);

// "ALGO, in any case, ...:", a line per kind (AlgorithmHelpLine), and the
// case its digits are written in. Ends with a line break.
std::string AlgorithmHelpText();

// How --verify chooses a digest's kind: "Each digest's algorithm is -a when
// given, else the line's tag, else the list's name (every extension and
// *SUMS name), else its length (8 CRC-32, 16 XXH64, ...). Where the length
// leaves a choice (16: XXH64 or XXH3-64; ...), the first listed file ...".
// Ends with a line break.
std::string KindChoiceHelpText();

// The command-line names of the kinds that tell copies apart besides
// `defaultKind`, for a refusal: "md5, sha1, sha256, sha384 or sha512".
std::string KindsTellingCopiesApart(DigestKind defaultKind);

}  // namespace sumbrook
