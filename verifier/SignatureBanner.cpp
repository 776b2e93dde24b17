#include "verifier/SignatureBanner.h"

#include "signature/OpenPgpKey.h"
#include "signature/SignatureCheck.h"
#include "verify/RunExitCode.h"

namespace sumbrook {

SignatureBanner SignatureBannerOf(const CheckOutcome& outcome) {
    SignatureBanner banner;
    const SignatureResult* result = outcome.signatureResult.get();
    if (outcome.end == CheckOutcome::End::kRefused && outcome.signatureExit == kExitDifferences) {
        banner.shown = true;
        banner.tone = StatusTone::kBad;
        banner.text =
            "BAD signature: the list was changed after it was signed; nothing was checked";
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
    banner.shown = true;
    switch (result->verdict) {
        case SignatureResult::Verdict::kGood: {
            banner.tone = StatusTone::kGood;
            std::string who = result->label.empty() ? result->userId : result->label;
            if (!result->label.empty() && !result->userId.empty()) {
                who += " (" + result->userId + ")";
            }
            banner.text = "Signed by " + (who.empty() ? std::string("a key you added") : who) +
                          " \xC2\xB7 fingerprint " +
                          FingerprintText(result->primaryFingerprint, true);
            if (result->created) banner.text += " \xC2\xB7 " + UtcTimeText(*result->created);
            break;
        }
        case SignatureResult::Verdict::kBad:
            banner.tone = StatusTone::kBad;
            banner.text =
                "BAD signature: the list was changed after it was signed; nothing was checked";
            break;
        case SignatureResult::Verdict::kUnknownKey:
            banner.tone = StatusTone::kWarning;
            banner.text = "Signed by a key you have not added: " + result->issuer;
            banner.offersAddKey = true;
            break;
        case SignatureResult::Verdict::kRefused:
            banner.tone = StatusTone::kWarning;
            banner.text = "Signature NOT verified: " + result->reason;
            break;
    }
    return banner;
}

}  // namespace sumbrook
