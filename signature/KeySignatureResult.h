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
    std::string label;      // that key's label in the key store, if any
    // minisign, kGood only: the signed trusted comment, its control
    // characters but the tab shown as '?'.
    std::string trustedComment;
};

// One line about a result, in the command line's words: "Good minisign
// signature by [LABEL, ]the key RWQ... (key ID 1BBC2CB544A882A2), trusted comment:
// ...", "BAD minisign signature by the key RWQ...: REASON", "Signed by a
// minisign key you have not given: key ID ...", "minisign signature not
// checked: REASON".
std::string KeySignatureResultText(const KeySignatureResult& result);

// Who made a good one, for a summary's note: "[LABEL, ]the minisign key RWQ...
// (key ID ...), trusted comment: ...".
std::string KeySignerText(const KeySignatureResult& result);

// 0 good, 1 bad, 2 otherwise, as gpgv's exit codes go.
int KeySignatureExitCode(const KeySignatureResult& result);

}  // namespace sumbrook
