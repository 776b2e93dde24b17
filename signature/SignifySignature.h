// signify's signature files, in both of its forms:
//
//   untrusted comment: verify with NAME.pub
//   base64 of: "Ed", the key ID (8 bytes), the signature (64)
//   [the signed message itself, with `signify -S -e`]
//
// The embedded form is how OpenBSD ships its checksum list (SHA256.sig,
// checked by `signify -C`): the message after the base64 line is the list,
// and those bytes, once verified, are the ones to read its lines from. The
// plain form signs a file beside it. Either way Ed25519 signs the message
// unhashed and whole: it is checked up to kWholeMessageLimit, refused above.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "signature/Ed25519PublicKey.h"
#include "signature/KeySignatureResult.h"

namespace sumbrook {

struct SignifySignature {
    KeyId keyId{};
    std::uint8_t signature[64] = {};
    bool embedded = false;
    std::string message;  // the embedded message (the signed bytes), when embedded
};

struct SignifySignatureRead {
    bool ok = false;
    std::string error;
    SignifySignature signature;
};

// Whether `text` starts as a signify signature does (an untrusted comment,
// then a line that is not a minisign trusted comment's).
bool LooksLikeSignifySignature(std::string_view text);

// The signature of a signify file's text: embedded when anything follows
// its base64 line (a plain one may end in blank lines only).
SignifySignatureRead ReadSignifySignature(std::string_view text);

// An embedded signature checked over its own message.
KeySignatureResult CheckSignifyEmbedded(const SignifySignature& signature,
                                        const std::vector<Ed25519PublicKey>& keys);

// A plain signature checked over a file handed in pieces.
class SignifyCheck {
  public:
    SignifyCheck(SignifySignature signature, std::vector<Ed25519PublicKey> keys);
    // Whether the file's bytes still count (false once the verdict is known:
    // no trusted key has the ID, or the file passed the limit).
    bool WantsBytes() const;
    void Update(const void* data, std::size_t size);
    KeySignatureResult Finish();

  private:
    SignifySignature signature_;
    std::vector<Ed25519PublicKey> keys_;
    bool known_ = false;
    WholeMessage whole_;
};

}  // namespace sumbrook
