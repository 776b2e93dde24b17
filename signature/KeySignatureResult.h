// The result of checking a minisign or signify signature: good or bad and
// why, and what to show. These formats name their key by an 8-byte key
// number and the key itself; a key is trusted because the user gave it.
//
// - Good: a trusted key with the signature's key ID verifies it (and, for
//   minisign, its trusted comment).
// - Bad: such a key does not verify it: the file, the signature or its
//   trusted comment changed.
// - Unknown key: no trusted key has the signature's key ID.
// - Refused, with the reason: a malformed signature, an algorithm not read
//   here, a message too big for a form that signs it unhashed.
#pragma once

#include <string>

namespace sumbrook {

struct KeySignatureResult {
    enum class Verdict { kGood, kBad, kUnknownKey, kRefused };
    Verdict verdict = Verdict::kRefused;
    std::string reason;  // for all but kGood
    std::string format;  // "minisign", "signify"
    std::string keyId;   // the signature's key ID as minisign prints it (16 hex digits), once read
    std::string publicKey;  // kGood, kBad: the trusted key tried, as its base64 line (as publishers
                            // post it)
    // minisign, kGood only: the signed trusted comment, its control
    // characters but the tab shown as '?'.
    std::string trustedComment;
};

}  // namespace sumbrook
