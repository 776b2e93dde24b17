// A signature file of minisign or signify, told apart by its content (a
// .sig may be OpenPGP or signify), checked over what it signs:
//
// - a detached one (a .minisig; signify's plain form) over a file handed in
//   pieces, as the file is read once for every check;
// - signify's embedded form (OpenBSD's SHA256.sig) over its own message,
//   which, once good, is the text to read the list's lines from.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "signature/Ed25519PublicKey.h"
#include "signature/KeySignatureResult.h"

namespace sumbrook {

class MinisignCheck;
class SignifyCheck;

// Whether `bytes` are a minisign or signify signature file's (their first
// line an untrusted comment): no OpenPGP signature starts so.
bool IsKeySignatureFile(std::string_view bytes);

// Whether `bytes` are signify's embedded form (a message after the
// signature's lines).
bool IsEmbeddedSignify(std::string_view bytes);

class DetachedKeySignatureCheck {
  public:
    // The check of the signature file `bytes` by `keys`; one that cannot be
    // read, or signify's embedded form (which signs its own message, not a
    // file beside it), is refused with the reason.
    DetachedKeySignatureCheck(std::string_view bytes, std::vector<Ed25519PublicKey> keys);
    ~DetachedKeySignatureCheck();
    DetachedKeySignatureCheck(const DetachedKeySignatureCheck&) = delete;
    DetachedKeySignatureCheck& operator=(const DetachedKeySignatureCheck&) = delete;

    // Whether the file's bytes still count (false once the verdict is known).
    bool WantsBytes() const;
    void Update(const void* data, std::size_t size);
    KeySignatureResult Finish();

  private:
    std::unique_ptr<MinisignCheck> minisign_;
    std::unique_ptr<SignifyCheck> signify_;
    KeySignatureResult refused_;
};

// signify's embedded form checked over its own message; `message` is set to
// the verified bytes when good, and left empty otherwise.
KeySignatureResult CheckEmbeddedSignify(std::string_view bytes,
                                        const std::vector<Ed25519PublicKey>& keys,
                                        std::string& message);

}  // namespace sumbrook
