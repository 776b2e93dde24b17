// Checks OpenPGP v4 signatures of data (a detached signature, binary or
// armoured, or the signature of a clear-signed text) with the certificates
// the user trusts, by this policy:
//
// - Good: the signature verifies with a key of a trusted certificate that
//   may sign (Certificate.h), the key was neither expired nor revoked when
//   it signed, and the signature is no more than ten minutes ahead of now
//   and has not expired.
// - Bad: it names a trusted key (or one that matches by key ID) and does not
//   verify with it: the data or the signature changed.
// - Unknown key: no trusted certificate has the key it names.
// - Refused, with the reason: a version 3 signature, DSA and other
//   algorithms not read here, RSA under 2048 bits, a data signature over
//   MD5, SHA-1 or RIPEMD-160, an unknown critical subpacket, a future date,
//   an expired or hard-revoked signer, a key whose flags forbid signing.
//
// The issuer is taken from the issuer fingerprint subpacket (33) where
// there is one; else every trusted key whose key ID matches is tried. A
// result names keys by their full fingerprints, never by key ID.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hash/Digest.h"
#include "hash/Hasher.h"
#include "signature/Certificate.h"
#include "signature/OpenPgpSignature.h"

namespace sumbrook {

struct SignatureResult {
    enum class Verdict { kGood, kBad, kUnknownKey, kRefused };
    Verdict verdict = Verdict::kRefused;
    std::string reason;  // for all but kGood
    // When a trusted key made it (or was named): its certificate's primary
    // fingerprint, and the subkey's when a subkey signed (20 bytes each).
    std::string primaryFingerprint;
    std::string subkeyFingerprint;
    std::string label;   // the user's label of the certificate
    std::string userId;  // the first self-certified user ID
    // The signer as the signature names it, for kUnknownKey: its
    // fingerprint in hex, or "key ID ..." when it names no fingerprint.
    std::string issuer;
    std::optional<std::uint32_t> created;  // seconds since 1970, UTC
    std::string algorithm;                 // the key's ("RSA-4096", "Ed25519")
    std::string hash;                      // "SHA-256"
};

struct SignaturesRead {
    bool ok = false;
    std::string error;
    std::vector<OpenPgpSignature> signatures;
};

// The signatures of a detached signature file, binary or armoured (any
// number of "PGP SIGNATURE" blocks, each any number of signatures).
SignaturesRead ReadSignatures(std::string_view bytes);

// The digests of the signed data for each signature, over bytes handed in
// pieces: the data is read once, whatever the number of signatures. A
// signature of text (0x01) over a detached file hashes the file's line ends
// as CR LF; `canonical` says the bytes are so already (a clear-signed
// text's).
class SignedDataDigests {
  public:
    SignedDataDigests(const std::vector<OpenPgpSignature>& signatures, bool canonical);
    void Update(const void* data, std::size_t size);
    // One per signature: its digest, or nothing where its hash is not one of
    // hash/'s or it is no v4 signature of data.
    std::vector<std::optional<Digest>> Finish();

  private:
    struct Part {
        std::unique_ptr<Hasher> hasher;
        bool text = false;
        std::string trailer;
    };
    std::vector<Part> parts_;
    bool lastWasCr_ = false;
};

// The results of `signatures` over the data whose digests are `digests`
// (SignedDataDigests), with the trusted `keys`, at the time `now`. With
// `hashHeaders` not empty (a clear-signed text's "Hash:" names), a
// signature by a hash they do not name is refused.
std::vector<SignatureResult> CheckSignatures(const std::vector<OpenPgpSignature>& signatures,
                                             const std::vector<std::optional<Digest>>& digests,
                                             const std::vector<CheckedCertificate>& keys,
                                             std::uint32_t now,
                                             const std::vector<std::string>& hashHeaders = {});

// A clear-signed text's signatures (ClearSignedParts: its canonical text,
// its armoured signature, its Hash: names) checked as CheckSignatures does.
// A signature that cannot be read gives one kRefused result saying why.
std::vector<SignatureResult> CheckClearSigned(std::string_view text, std::string_view signature,
                                              const std::vector<std::string>& hashHeaders,
                                              const std::vector<CheckedCertificate>& keys,
                                              std::uint32_t now);

// 0 when some signature is good and none is bad, 1 when one is bad, 2
// otherwise (none good: unknown keys, refused, none at all), as gpgv's exit
// codes go.
int SignaturesExitCode(const std::vector<SignatureResult>& results);

// "2026-01-02 03:04:05 UTC".
std::string UtcTimeText(std::uint32_t seconds);

// One line about a result: "Good signature by LABEL (USER ID), key FPR
// (subkey FPR), made 2026-01-02 03:04:05 UTC, Ed25519, SHA-256", "BAD
// signature ...: REASON", "Signed by a key you have not added: FPR".
std::string SignatureResultText(const SignatureResult& result);

}  // namespace sumbrook
