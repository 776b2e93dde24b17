#include "verifier/SignatureBanner.h"

#include "signature/KeySignatureResult.h"
#include "signature/OpenPgpKey.h"
#include "signature/SignatureCheck.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

namespace {

constexpr char kListChanged[] =
    "BAD signature: the list was changed after it was signed; nothing was checked";
constexpr char kFileChanged[] =
    "BAD signature: the file or its signature was changed after it was signed";

SignatureBanner ResultBanner(const SignatureResult& result, const char* badText) {
    SignatureBanner banner;
    banner.shown = true;
    switch (result.verdict) {
        case SignatureResult::Verdict::kGood: {
            banner.tone = StatusTone::kGood;
            std::string who = result.label.empty() ? result.userId : result.label;
            if (!result.label.empty() && !result.userId.empty()) who += " (" + result.userId + ")";
            banner.text = "Signed by " + (who.empty() ? std::string("a key you added") : who) +
                          " \xC2\xB7 fingerprint " +
                          FingerprintText(result.primaryFingerprint, true);
            if (result.created) banner.text += " \xC2\xB7 " + UtcTimeText(*result.created);
            break;
        }
        case SignatureResult::Verdict::kBad:
            banner.tone = StatusTone::kBad;
            banner.text = badText;
            break;
        case SignatureResult::Verdict::kUnknownKey:
            banner.tone = StatusTone::kWarning;
            banner.text = "Signed by a key you have not added: " + result.issuer;
            banner.offersAddKey = true;
            break;
        case SignatureResult::Verdict::kRefused:
            banner.tone = StatusTone::kWarning;
            banner.text = "Signature NOT verified: " + result.reason;
            break;
    }
    return banner;
}

// A minisign or signify signature's: such keys are named by their key ID.
SignatureBanner KeyResultBanner(const KeySignatureResult& result, const char* badText) {
    SignatureBanner banner;
    banner.shown = true;
    banner.tone = StatusTone::kWarning;
    switch (result.verdict) {
        case KeySignatureResult::Verdict::kGood:
            banner.tone = StatusTone::kGood;
            banner.text = "Signed by " + KeySignerText(result);
            break;
        case KeySignatureResult::Verdict::kBad:
            banner.tone = StatusTone::kBad;
            banner.text = badText;
            break;
        case KeySignatureResult::Verdict::kUnknownKey:
            banner.text = "Signed by a key you have not added: key ID " + result.keyId + " (" +
                          result.format + ")";
            banner.offersAddKey = true;
            break;
        case KeySignatureResult::Verdict::kRefused:
            banner.text = "Signature NOT verified: " + result.reason;
            break;
    }
    return banner;
}

}  // namespace

SignatureBanner SignatureBannerOf(const SignedFileOutcome& outcome) {
    SignatureBanner banner;
    banner.shown = true;
    banner.tone = StatusTone::kWarning;
    if (!outcome.error.empty()) {
        banner.text = "Signature NOT verified: " + outcome.error;
        return banner;
    }
    if (outcome.keySignature) return KeyResultBanner(*outcome.keySignature, kFileChanged);
    if (outcome.results.empty()) {
        banner.text = "Signature NOT verified: " + outcome.signaturePath + " holds no signature";
        return banner;
    }
    const SignatureResult* leading = &outcome.results.front();
    const auto wanted = outcome.exitCode == kExitDifferences ? SignatureResult::Verdict::kBad
                                                             : SignatureResult::Verdict::kGood;
    for (const SignatureResult& result : outcome.results) {
        if (result.verdict == wanted) {
            leading = &result;
            break;
        }
    }
    return ResultBanner(*leading, kFileChanged);
}

SignatureBanner SignatureBannerOf(const CheckOutcome& outcome) {
    SignatureBanner banner;
    const SignatureResult* result = outcome.signatureResult.get();
    if (outcome.keySignatureResult != nullptr && outcome.signatureExit != kExitDifferences) {
        return KeyResultBanner(*outcome.keySignatureResult, kListChanged);
    }
    if (outcome.end == CheckOutcome::End::kRefused && outcome.signatureExit == kExitDifferences) {
        banner.shown = true;
        banner.tone = StatusTone::kBad;
        banner.text = kListChanged;
        return banner;
    }
    if (result == nullptr) {
        // A signature that could not be read stops the run: its refusal
        // says why, and the banner says that it was not verified.
        if (outcome.end == CheckOutcome::End::kRefused && outcome.signatureExit != 0) {
            banner.shown = true;
            banner.tone = StatusTone::kWarning;
            banner.text = "Signature NOT verified: " + outcome.error;
        }
        return banner;
    }
    return ResultBanner(*result, kListChanged);
}

}  // namespace sumbrook
