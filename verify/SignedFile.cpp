#include "verify/SignedFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <utility>

#include "lists/ClearSignedFrame.h"
#include "platform/StdioFile.h"
#include "signature/KeySignatureFile.h"
#include "signature/KeyStore.h"

namespace sumbrook {

namespace {

constexpr std::size_t kLargestSmallFile = 256U << 20;  // key files, signatures, clear-signed texts
constexpr std::size_t kBlockSize = 1U << 20;

// Hands the bytes of the file at `path` to `update` block by block while
// `wants` says more are wanted, calling `went` with the bytes so far after
// each block. False, with `outcome`'s error or cancelled set, when the file
// could not be read or `went` said stop.
template <typename Wants, typename Update>
bool FeedFile(const std::string& path, const std::function<bool(std::uint64_t bytes)>& went,
              SignedFileOutcome& outcome, Wants wants, Update update) {
    const ScopedStdioFile file = OpenStdioFile(path, "rb");
    if (!file.IsValid()) {
        outcome.error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string block(kBlockSize, '\0');
    std::uint64_t total = 0;
    while (wants()) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.Get());
        update(block.data(), got);
        total += got;
        if (went && !went(total)) {
            outcome.cancelled = true;
            return false;
        }
        if (got < block.size()) break;
    }
    if (std::ferror(file.Get()) != 0) {
        outcome.error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool ReadSmallFile(const std::string& path, std::string& bytes, std::string& error) {
    const ScopedStdioFile file = OpenStdioFile(path, "rb");
    if (!file.IsValid()) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    std::string block(1U << 16, '\0');
    for (;;) {
        const std::size_t got = std::fread(block.data(), 1, block.size(), file.Get());
        bytes.append(block.data(), got);
        if (bytes.size() > kLargestSmallFile) {
            error = path + ": larger than 256 MiB, too large for a key or a signature";
            return false;
        }
        if (got < block.size()) break;
    }
    if (std::ferror(file.Get()) != 0) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

bool Exists(const std::string& path) {
    return OpenStdioFile(path, "rb").IsValid();
}

}  // namespace

std::uint32_t SecondsNow() {
    return static_cast<std::uint32_t>(std::time(nullptr));
}

std::vector<CheckedCertificate> ReadKeyFile(const std::string& path, std::uint32_t now,
                                            std::string& error) {
    std::string bytes;
    if (!ReadSmallFile(path, bytes, error)) return {};
    const CertificatesRead read = ReadCertificates(bytes);
    if (!read.error.empty()) {
        error = path + ": " + read.error;
        return {};
    }
    std::vector<CheckedCertificate> keys;
    for (const Certificate& certificate : read.certificates) {
        keys.push_back(CheckCertificate(certificate, now));
    }
    return keys;
}

AnyKeyFile ReadAnyKeyFile(const std::string& path, std::uint32_t now) {
    AnyKeyFile read;
    std::string bytes;
    if (!ReadSmallFile(path, bytes, read.error)) return read;
    Ed25519PublicKeyRead ed25519 = ReadEd25519PublicKey(bytes);
    if (ed25519.ok) {
        read.ed25519 = std::move(ed25519.key);
        return read;
    }
    if (bytes.rfind("untrusted comment: ", 0) == 0) {
        read.error = path + ": " + ed25519.error;
        return read;
    }
    const CertificatesRead certificates = ReadCertificates(bytes);
    if (!certificates.error.empty()) {
        read.error = path + ": " + certificates.error;
        return read;
    }
    for (const Certificate& certificate : certificates.certificates) {
        read.certificates.push_back(CheckCertificate(certificate, now));
    }
    return read;
}

TrustedKeys LoadTrustedKeys(const std::vector<std::string>& keyFiles,
                            const std::vector<std::string>& fingerprints,
                            const std::string& storeFolder, std::uint32_t now) {
    TrustedKeys trusted;
    std::vector<std::string> wanted;
    for (const std::string& text : fingerprints) {
        wanted.push_back(ParseFingerprint(text, trusted.error));
        if (wanted.back().empty()) return trusted;
    }
    if (!keyFiles.empty()) {
        for (const std::string& path : keyFiles) {
            AnyKeyFile read = ReadAnyKeyFile(path, now);
            if (!read.error.empty()) {
                trusted.error = std::move(read.error);
                return trusted;
            }
            if (read.ed25519) trusted.ed25519Keys.push_back(std::move(*read.ed25519));
            for (CheckedCertificate& key : read.certificates)
                trusted.keys.push_back(std::move(key));
        }
    } else {
        KeyStoreRead store = ReadKeyStore(storeFolder, now);
        trusted.keys = std::move(store.keys);
        trusted.skipped = std::move(store.damaged);
        // --fingerprint names OpenPGP certificates: the store's other keys
        // are then not chosen.
        if (wanted.empty()) trusted.ed25519Keys = std::move(store.ed25519Keys);
    }
    trusted.chosen = !keyFiles.empty() || !fingerprints.empty() || !trusted.keys.empty() ||
                     !trusted.ed25519Keys.empty();
    if (wanted.empty()) return trusted;
    std::vector<CheckedCertificate> chosen;
    std::vector<bool> found(wanted.size(), false);
    for (CheckedCertificate& key : trusted.keys) {
        bool match = false;
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            bool here = key.fingerprint == wanted[i];
            for (const SigningKey& signing : key.keys)
                here = here || signing.key.fingerprint == wanted[i];
            if (here) found[i] = true;
            match = match || here;
        }
        if (match) chosen.push_back(std::move(key));
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (!found[i]) {
            trusted.error = "no key given has the fingerprint " + FingerprintText(wanted[i], true);
            return trusted;
        }
    }
    trusted.keys = std::move(chosen);
    return trusted;
}

std::string SignatureBeside(const std::string& path) {
    for (const char* extension : {".sig", ".asc", ".gpg", ".sign", ".minisig"}) {
        if (Exists(path + extension)) return path + extension;
    }
    return {};
}

SignedFileOutcome CheckSignedFile(const std::string& path, const std::string& signaturePath,
                                  const TrustedKeys& keys, std::uint32_t now,
                                  const std::function<bool(std::uint64_t bytes)>& went) {
    SignedFileOutcome outcome;
    outcome.signaturePath = signaturePath.empty() ? SignatureBeside(path) : signaturePath;
    if (outcome.signaturePath.empty()) {
        // No signature beside it: the file itself may be clear-signed.
        std::string bytes;
        if (!ReadSmallFile(path, bytes, outcome.error)) {
            if (outcome.error.find("larger than") != std::string::npos) {
                outcome.error =
                    path + ": no signature beside it (" + path + ".sig, .asc, .gpg, .sign)";
            }
            return outcome;
        }
        if (IsKeySignatureFile(bytes) && IsEmbeddedSignify(bytes)) {
            std::string message;
            outcome.keySignature = CheckEmbeddedSignify(bytes, keys.ed25519Keys, message);
            outcome.exitCode = KeySignatureExitCode(*outcome.keySignature);
            return outcome;
        }
        const std::size_t firstEnd = bytes.find('\n');
        if (!ClearSignedFrame::IsStart(std::string_view(bytes).substr(0, firstEnd))) {
            outcome.error =
                path + ": no signature beside it (" + path +
                ".sig, .asc, .gpg, .sign) and it is not clear-signed; name one with --signature";
            return outcome;
        }
        const ClearSignedRead read = SplitClearSigned(bytes);
        if (!read.ok) {
            outcome.error = path + ": line " + std::to_string(read.line) + ": " + read.error;
            return outcome;
        }
        outcome.results = CheckClearSigned(read.parts.text, read.parts.signature, read.parts.hashes,
                                           keys.keys, now);
        outcome.exitCode = SignaturesExitCode(outcome.results);
        return outcome;
    }
    DetachedSignatureCheck check(outcome.signaturePath, keys, now);
    if (!check.Error().empty()) {
        outcome.error = check.Error();
        return outcome;
    }
    if (!FeedFile(
            path, went, outcome, [&check] { return check.WantsBytes(); },
            [&check](const char* data, std::size_t size) { check.Update(data, size); })) {
        return outcome;
    }
    return check.Finish();
}

// The check's state over the bytes so far: a minisign or signify check, or
// the OpenPGP signatures' digests.
struct DetachedSignatureCheck::Parts {
    std::unique_ptr<DetachedKeySignatureCheck> keySignature;
    SignaturesRead signatures;
    std::unique_ptr<SignedDataDigests> digests;
};

DetachedSignatureCheck::DetachedSignatureCheck(std::string signaturePath, const TrustedKeys& keys,
                                               std::uint32_t now)
    : signaturePath_(std::move(signaturePath)), keys_(keys), now_(now) {
    if (ReadSmallFile(signaturePath_, bytes_, error_)) Begin();
}

DetachedSignatureCheck::~DetachedSignatureCheck() = default;

void DetachedSignatureCheck::Restart() {
    Begin();
}

void DetachedSignatureCheck::Begin() {
    if (!error_.empty()) return;
    parts_ = std::make_unique<Parts>();
    if (IsKeySignatureFile(bytes_)) {
        parts_->keySignature =
            std::make_unique<DetachedKeySignatureCheck>(bytes_, keys_.ed25519Keys);
        return;
    }
    parts_->signatures = ReadSignatures(bytes_);
    if (!parts_->signatures.ok) {
        error_ = signaturePath_ + ": " + parts_->signatures.error;
        parts_.reset();
        return;
    }
    parts_->digests = std::make_unique<SignedDataDigests>(parts_->signatures.signatures, false);
}

bool DetachedSignatureCheck::WantsBytes() const {
    if (parts_ == nullptr) return false;
    return parts_->keySignature == nullptr || parts_->keySignature->WantsBytes();
}

void DetachedSignatureCheck::Update(const void* data, std::size_t size) {
    if (!WantsBytes()) return;
    if (parts_->keySignature != nullptr) {
        parts_->keySignature->Update(data, size);
    } else {
        parts_->digests->Update(data, size);
    }
}

SignedFileOutcome DetachedSignatureCheck::Finish() {
    SignedFileOutcome outcome;
    outcome.signaturePath = signaturePath_;
    outcome.error = error_;
    if (!error_.empty() || parts_ == nullptr) return outcome;
    if (parts_->keySignature != nullptr) {
        outcome.keySignature = parts_->keySignature->Finish();
        outcome.exitCode = KeySignatureExitCode(*outcome.keySignature);
    } else {
        outcome.results = CheckSignatures(parts_->signatures.signatures, parts_->digests->Finish(),
                                          keys_.keys, now_);
        outcome.exitCode = SignaturesExitCode(outcome.results);
    }
    parts_.reset();
    return outcome;
}

}  // namespace sumbrook
