// minisign's signature files (NAME.minisig):
//
//   untrusted comment: <text, not signed>
//   base64 of: "ED" or "Ed", the key ID (8 bytes), the signature (64)
//   trusted comment: <text, signed>
//   base64 of: the global signature (64 bytes)
//
// "ED" signs the BLAKE2b-512 digest of the file (read in pieces, any size);
// "Ed", the legacy form, the file itself, which Ed25519 takes whole: such
// a file is checked up to kWholeMessageLimit and refused above it. The
// global signature, by the same key, covers the signature and the trusted
// comment together, so the comment shown is the one signed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "signature/Ed25519PublicKey.h"
#include "signature/KeySignatureResult.h"

namespace sumbrook {

class Hasher;

struct MinisignSignature {
    bool prehashed = true;  // "ED"
    KeyId keyId{};
    std::uint8_t signature[64] = {};
    std::string trustedComment;  // as signed, without its prefix
    std::uint8_t globalSignature[64] = {};
};

struct MinisignSignatureRead {
    bool ok = false;
    std::string error;
    MinisignSignature signature;
};

// Whether `text` starts as a minisign signature does (its first line an
// untrusted comment, its third a trusted one), to tell it from signify's.
bool LooksLikeMinisignSignature(std::string_view text);

// The signature of a .minisig file's text; nothing but blank lines may
// follow it.
MinisignSignatureRead ReadMinisignSignature(std::string_view text);

// The check of one signature over a file handed in pieces, with the keys
// the user trusts.
class MinisignCheck {
  public:
    MinisignCheck(MinisignSignature signature, std::vector<Ed25519PublicKey> keys);
    ~MinisignCheck();
    MinisignCheck(const MinisignCheck&) = delete;
    MinisignCheck& operator=(const MinisignCheck&) = delete;

    // Whether the file's bytes still count: false when the verdict is known
    // already (no trusted key has the ID; a legacy signature's file passed
    // the limit), and the caller may stop reading.
    bool WantsBytes() const;
    void Update(const void* data, std::size_t size);
    KeySignatureResult Finish();

  private:
    MinisignSignature signature_;
    std::vector<Ed25519PublicKey> keys_;
    bool known_ = false;              // some key has the ID
    std::unique_ptr<Hasher> digest_;  // BLAKE2b-512, for the pre-hashed form
    WholeMessage whole_;
};

}  // namespace sumbrook
