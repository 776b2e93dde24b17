// The frame around a clear-signed list (gpg --clear-sign), which publishers
// use to sign their SHA256SUMS or CHECKSUM files:
//
//   -----BEGIN PGP SIGNED MESSAGE-----
//   Hash: SHA256
//                                       (a blank line ends the headers)
//   ...the list's own lines...          (one that starts with '-' as "- -...")
//   -----BEGIN PGP SIGNATURE-----
//   ...
//   -----END PGP SIGNATURE-----
//
// The frame gives back the signed lines, undoing the dash escapes, and
// checks nothing of the signature: whoever reads such a list says that its
// signature was not checked.
#pragma once

#include <string>
#include <string_view>

namespace sumbrook {

class ClearSignedFrame {
  public:
    // Whether a list whose first line (its line end gone) is `line` is
    // clear-signed.
    static bool IsStart(std::string_view line);

    enum class Part { kFrame, kSigned, kError };
    // The lines of the list in turn, from the first: kSigned with `text` set
    // for a line of the signed list; kFrame for a line of the frame (its
    // headers, the signature); kError with `error` set for a line that fits
    // neither (a header line that is none, text after the signature).
    Part Take(std::string_view line, std::string_view& text, std::string& error);
    // Empty when the list ended with its signature; else what is missing.
    std::string Unfinished() const;

  private:
    enum class Place { kStart, kHeaders, kSigned, kSignature, kAfter };
    Place place_ = Place::kStart;
};

}  // namespace sumbrook
