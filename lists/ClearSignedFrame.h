// The frame around a clear-signed text (RFC 9580 7), which publishers use to
// sign their SHA256SUMS, CHECKSUM and InRelease files:
//
//   -----BEGIN PGP SIGNED MESSAGE-----
//   Hash: SHA256
//                                       (a blank line ends the headers)
//   ...the signed lines...              (one that starts with '-' as "- -...")
//   -----BEGIN PGP SIGNATURE-----
//   ...
//   -----END PGP SIGNATURE-----
//
// The one splitter of such texts: the list reader reads the lines it gives
// and the signature is checked over the same lines, so what is read is what
// was signed. A signed line is given without its dash escape and without
// the blanks and tabs at its end, which the signature does not cover; the
// signed text is those lines joined by CR LF, with no line end after the
// last (the canonical text a signature of type 0x01 is made over).
//
// Refused, since each lets unsigned text pass for signed: text before the
// begin line or after the signature, a second signed message, a header other
// than a well-formed "Hash:" (a "Comment:" there is not signed), and a line
// starting with '-' that is not dash-escaped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sumbrook {

struct ClearSignedParts {
    std::string text;                 // the canonical signed text
    std::string signature;            // the armoured signature, its lines joined by LF
    std::vector<std::string> hashes;  // as the Hash: headers name them ("SHA256")
};

class ClearSignedFrame {
  public:
    // Whether a text whose first line (its line end gone) is `line` is
    // clear-signed.
    static bool IsStart(std::string_view line);

    enum class Part { kFrame, kSigned, kError };
    // The lines of the text in turn, from the first: kSigned with `text` set
    // for a signed line; kFrame for a line of the frame (its headers, the
    // signature); kError with `error` set for a line refused.
    Part Take(std::string_view line, std::string_view& text, std::string& error);
    // Empty when the text ended with its signature; else what is missing.
    std::string Unfinished() const;
    // What was taken; called once, after Unfinished() said nothing is.
    ClearSignedParts TakeParts() { return std::move(parts_); }

  private:
    enum class Place { kStart, kHeaders, kSigned, kSignature, kAfter };
    Place place_ = Place::kStart;
    bool firstSigned_ = true;
    std::string line_;  // the signed line being given
    ClearSignedParts parts_;
};

struct ClearSignedRead {
    bool ok = false;
    std::size_t line = 0;  // the refused line, counting from 1
    std::string error;
    ClearSignedParts parts;
};

// A whole clear-signed text, its lines ending in LF or CR LF.
ClearSignedRead SplitClearSigned(std::string_view bytes);

}  // namespace sumbrook
