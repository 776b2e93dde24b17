// The signature of one file checked with the keys the user chose: a
// detached OpenPGP signature beside it (or named), or the file itself
// clear-signed (an InRelease). The file is read once, in blocks, every
// signature's digest computed from the same bytes, with progress and
// cancel. Prints nothing: the command line says what the outcome holds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/FileDigests.h"

#include "signature/Certificate.h"
#include "signature/Ed25519PublicKey.h"
#include "signature/KeySignatureResult.h"
#include "signature/SignatureCheck.h"

namespace sumbrook {

struct TrustedKeys {
    std::vector<CheckedCertificate> keys;
    std::vector<Ed25519PublicKey> ed25519Keys;  // minisign and signify keys (--key, the store)
    // The user named keys (--key, --fingerprint) or the store holds some:
    // a signature by no trusted key is then a failure, not a note.
    bool chosen = false;
    std::vector<std::string> skipped;  // damaged files of the store, "FILE: why"
    std::string error;                 // a key file unreadable or not holding a fingerprint asked
};

// The keys of `keyFiles` (each armoured or binary, one or many
// certificates, or a minisign or signify public key) or, with none given, of the key store at
// `storeFolder`; with `fingerprints` (40 hex digits, blanks allowed), only the certificates whose
// primary key or a bound subkey has one of them, each fingerprint having to match one.
TrustedKeys LoadTrustedKeys(const std::vector<std::string>& keyFiles,
                            const std::vector<std::string>& fingerprints,
                            const std::string& storeFolder, std::uint32_t now);

// The certificates of one key file; `error` set when it cannot be read or
// holds none.
std::vector<CheckedCertificate> ReadKeyFile(const std::string& path, std::uint32_t now,
                                            std::string& error);

// A key file of either kind: OpenPGP certificates, or a minisign or signify
// public key (its .pub file or its base64 line). `error` set when it cannot
// be read or is neither.
struct AnyKeyFile {
    std::vector<CheckedCertificate> certificates;
    std::optional<Ed25519PublicKey> ed25519;
    std::string error;
};
AnyKeyFile ReadAnyKeyFile(const std::string& path, std::uint32_t now);

// The first of FILE.sig, FILE.asc, FILE.gpg, FILE.sign, FILE.minisig that
// exists; empty when none does.
std::string SignatureBeside(const std::string& path);

struct SignedFileOutcome {
    bool cancelled = false;
    // Empty, or why nothing could be checked (unreadable, malformed): exit 2.
    std::string error;
    std::string signaturePath;  // the detached signature read; empty when clear-signed
    std::vector<SignatureResult> results;
    // A minisign or signify signature's result (told apart by its content),
    // instead of `results`.
    std::optional<KeySignatureResult> keySignature;
    int exitCode = 2;  // SignaturesExitCode, or 2 on an error
};

// A detached signature (OpenPGP, minisign or signify, by its content) of a
// file whose bytes another read hands over (ReadAlongside): the window reads
// a file once for its digests and this check. `keys` must outlive it.
class DetachedSignatureCheck final : public ReadAlongside {
  public:
    // Reads and parses the signature file; Error() says why it cannot be
    // checked (unreadable, malformed): then Finish gives that error.
    DetachedSignatureCheck(std::string signaturePath, const TrustedKeys& keys, std::uint32_t now);
    ~DetachedSignatureCheck();
    DetachedSignatureCheck(const DetachedSignatureCheck&) = delete;
    DetachedSignatureCheck& operator=(const DetachedSignatureCheck&) = delete;

    const std::string& Error() const { return error_; }
    // Whether more of the file's bytes still count.
    bool WantsBytes() const;
    void Restart() override;
    void Update(const void* data, std::size_t size) override;
    // The outcome over every byte handed since the last Restart; once.
    SignedFileOutcome Finish();

  private:
    struct Parts;
    void Begin();
    std::string signaturePath_;
    const TrustedKeys& keys_;
    std::uint32_t now_;
    std::string error_;
    std::string bytes_;  // the signature file's
    std::unique_ptr<Parts> parts_;
};

// Checks `path` against `signaturePath` (empty: the one beside it, else the
// file itself when clear-signed or signify's embedded form), an OpenPGP,
// minisign or signify signature by its content. `went` is called after each block with the
// bytes read so far; false stops the reading (cancelled).
SignedFileOutcome CheckSignedFile(const std::string& path, const std::string& signaturePath,
                                  const TrustedKeys& keys, std::uint32_t now,
                                  const std::function<bool(std::uint64_t bytes)>& went = {});

// The seconds since 1970 now, UTC.
std::uint32_t SecondsNow();

}  // namespace sumbrook
