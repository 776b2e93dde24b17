#include "verify/ListSignature.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "platform/StdioFile.h"
#include "signature/KeySignatureFile.h"
#include "signature/SignatureCheck.h"
#include "signature/SignifySignature.h"
#include "verify/DisplayName.h"
#include "verify/SignedFile.h"

namespace sumbrook {

namespace {

constexpr std::size_t kLargestSignedList = 1U << 30;

// Who made a result, in the words of the summary's note.
std::string SignerText(const SignatureResult& result) {
    std::string who;
    if (!result.label.empty()) who += result.label + " ";
    if (!result.userId.empty()) who += "(" + result.userId + ") ";
    who += FingerprintText(result.primaryFingerprint, true);
    return who;
}

// The result that speaks for them all: the good one, else the first.
const SignatureResult* Leading(const std::vector<SignatureResult>& results) {
    for (const SignatureResult& result : results) {
        if (result.verdict == SignatureResult::Verdict::kGood) return &result;
    }
    return results.empty() ? nullptr : &results.front();
}

// The list file's bytes when it is signify's embedded form (OpenBSD's
// SHA256.sig: the list is the signature's message), else empty.
std::string EmbeddedSignifyList(const std::string& listPath) {
    std::string bytes;
    const ScopedStdioFile file = OpenStdioFile(listPath, "rb");
    if (!file.IsValid()) return bytes;
    char block[1 << 16];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file.Get())) > 0;) {
        bytes.append(block, got);
        if (bytes.rfind("untrusted comment: ", 0) != 0 ||
            bytes.size() > kWholeMessageLimit + 4096) {
            return {};
        }
    }
    return IsEmbeddedSignify(bytes) ? bytes : std::string();
}

}  // namespace

ListSignatureVerdict JudgeListSignature(const std::string& listPath, ListReadResult& list,
                                        const std::optional<DigestKind>& forced,
                                        const ListSignatureOptions& options) {
    ListSignatureVerdict verdict;
    const std::string embedded = options.signaturePath.empty() && !list.clearSigned
                                     ? EmbeddedSignifyList(listPath)
                                     : std::string();
    const std::string signaturePath =
        options.signaturePath.empty() && !list.clearSigned
            ? (embedded.empty() ? SignatureBeside(listPath) : std::string())
            : options.signaturePath;
    const bool signedList = list.clearSigned || !signaturePath.empty() || !embedded.empty();
    verdict.signatureFile = signaturePath;
    if (!signedList) {
        if (options.requireSignature) {
            verdict.stop = true;
            verdict.exitCode = 2;
            verdict.refusal = "has no signature (neither clear-signed nor with " +
                              DisplayName(listPath) +
                              ".gpg, .asc, .sig, .sign or .minisig beside it), "
                              "and --require-signature asks for one; nothing was checked";
        }
        return verdict;
    }
    const std::uint32_t now = SecondsNow();
    const TrustedKeys keys =
        LoadTrustedKeys(options.keyFiles, options.fingerprints, options.storeFolder, now);
    if (!keys.error.empty()) {
        verdict.stop = true;
        verdict.exitCode = 2;
        verdict.refusal = keys.error + "; nothing was checked";
        return verdict;
    }
    std::vector<SignatureResult> results;
    std::optional<KeySignatureResult> keyResult;  // minisign's or signify's
    ListReadOptions listOptions;
    listOptions.listName = listPath;
    listOptions.forced = forced;
    if (!embedded.empty()) {
        // The lines read are the signature's message, the bytes verified.
        const SignifySignatureRead read = ReadSignifySignature(embedded);
        keyResult = CheckSignifyEmbedded(read.signature, keys.ed25519Keys);
        verdict.list = ReadList(read.signature.message, listOptions);
        verdict.listRead = true;
    } else if (!signaturePath.empty()) {
        // The list's bytes, read once: verified, then read for their lines.
        std::string bytes;
        std::string error;
        const ScopedStdioFile file = OpenStdioFile(listPath, "rb");
        if (!file.IsValid()) error = std::strerror(errno);
        char block[1 << 16];
        while (error.empty()) {
            const std::size_t got = std::fread(block, 1, sizeof block, file.Get());
            bytes.append(block, got);
            if (std::ferror(file.Get()) != 0) error = std::strerror(errno);
            if (bytes.size() > kLargestSignedList)
                error = "larger than 1 GiB, too large for a signed list";
            if (got < sizeof block) break;
        }
        SignedFileOutcome outcome;
        if (error.empty()) {
            const std::string signatureBytes = [&] {
                std::string signature;
                const ScopedStdioFile sig = OpenStdioFile(signaturePath, "rb");
                if (!sig.IsValid()) return signature;
                for (std::size_t got; (got = std::fread(block, 1, sizeof block, sig.Get())) > 0;) {
                    signature.append(block, got);
                    if (signature.size() > (16U << 20)) break;
                }
                return signature;
            }();
            if (IsKeySignatureFile(signatureBytes)) {
                // minisign's or signify's, over the same bytes.
                DetachedKeySignatureCheck check(signatureBytes, keys.ed25519Keys);
                check.Update(bytes.data(), bytes.size());
                keyResult = check.Finish();
            } else if (const SignaturesRead read = ReadSignatures(signatureBytes); !read.ok) {
                error = DisplayName(signaturePath) + ": " + read.error;
            } else {
                SignedDataDigests digests(read.signatures, false);
                digests.Update(bytes.data(), bytes.size());
                results = CheckSignatures(read.signatures, digests.Finish(), keys.keys, now);
            }
        }
        if (!error.empty()) {
            verdict.stop = true;
            verdict.exitCode = 2;
            verdict.refusal = "its signature cannot be checked: " + error + "; nothing was checked";
            return verdict;
        }
        verdict.list = ReadList(bytes, listOptions);
        verdict.listRead = true;
    } else {
        results = CheckClearSigned(list.signedParts.text, list.signedParts.signature,
                                   list.signedParts.hashes, keys.keys, now);
        list.clearSigned = false;  // its note is said here
    }
    const int code = keyResult ? KeySignatureExitCode(*keyResult) : SignaturesExitCode(results);
    const SignatureResult* leading = Leading(results);
    if (leading != nullptr) verdict.leading = std::make_shared<const SignatureResult>(*leading);
    if (keyResult) verdict.keyResult = std::make_shared<const KeySignatureResult>(*keyResult);
    if (code == 1) {
        verdict.stop = true;
        verdict.exitCode = 1;
        verdict.refusal =
            "BAD signature: the list was changed after it was signed (or its signature was); "
            "nothing was checked";
        return verdict;
    }
    if (code == 0 && keyResult) {
        verdict.notes.push_back("signature good, by " + KeySignerText(*keyResult));
        return verdict;
    }
    if (code == 0) {
        verdict.notes.push_back(
            "signature good, by " + SignerText(*leading) +
            (leading->created ? ", made " + UtcTimeText(*leading->created) : std::string()));
        return verdict;
    }
    const std::string why = keyResult            ? keyResult->reason
                            : leading == nullptr ? std::string("no signature in it")
                                                 : leading->reason;
    if (keys.chosen || options.requireSignature) {
        verdict.notes.push_back("the list's signature was NOT verified: " + why);
        verdict.exitCode = 2;
    } else {
        verdict.notes.push_back(
            "the list's signature was not checked with a key of yours (none is added): " + why);
    }
    return verdict;
}

}  // namespace sumbrook
