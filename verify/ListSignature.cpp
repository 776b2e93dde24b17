#include "verify/ListSignature.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/StdioFile.h"
#include "signature/SignatureCheck.h"
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

}  // namespace

ListSignatureVerdict JudgeListSignature(const std::string& listPath, ListReadResult& list,
                                        const std::optional<DigestKind>& forced,
                                        const ListSignatureOptions& options) {
    ListSignatureVerdict verdict;
    const std::string signaturePath = options.signaturePath.empty() && !list.clearSigned
                                          ? SignatureBeside(listPath)
                                          : options.signaturePath;
    const bool signedList = list.clearSigned || !signaturePath.empty();
    if (!signedList) {
        if (options.requireSignature) {
            verdict.stop = true;
            verdict.exitCode = 2;
            verdict.refusal = "has no signature (neither clear-signed nor with " +
                              DisplayName(listPath) +
                              ".gpg, .asc, .sig or .sign beside it), "
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
    if (!signaturePath.empty()) {
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
            const SignaturesRead read = ReadSignatures([&] {
                std::string signature;
                const ScopedStdioFile sig = OpenStdioFile(signaturePath, "rb");
                if (!sig.IsValid()) return signature;
                for (std::size_t got; (got = std::fread(block, 1, sizeof block, sig.Get())) > 0;) {
                    signature.append(block, got);
                    if (signature.size() > (16U << 20)) break;
                }
                return signature;
            }());
            if (!read.ok) {
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
        ListReadOptions readOptions;
        readOptions.listName = listPath;
        readOptions.forced = forced;
        verdict.list = ReadList(bytes, readOptions);
        verdict.listRead = true;
    } else {
        results = CheckClearSigned(list.signedParts.text, list.signedParts.signature,
                                   list.signedParts.hashes, keys.keys, now);
        list.clearSigned = false;  // its note is said here
    }
    const int code = SignaturesExitCode(results);
    const SignatureResult* leading = Leading(results);
    if (leading != nullptr) verdict.leading = std::make_shared<const SignatureResult>(*leading);
    if (code == 1) {
        verdict.stop = true;
        verdict.exitCode = 1;
        verdict.refusal =
            "BAD signature: the list was changed after it was signed (or its signature was); "
            "nothing was checked";
        return verdict;
    }
    if (code == 0) {
        verdict.notes.push_back(
            "signature good, by " + SignerText(*leading) +
            (leading->created ? ", made " + UtcTimeText(*leading->created) : std::string()));
        return verdict;
    }
    const std::string why =
        leading == nullptr ? std::string("no signature in it") : leading->reason;
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
