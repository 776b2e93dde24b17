// The line the window shows about a list's signature, from the check's end:
// each verdict's words, colour and whether Add key... is offered.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "signature/SignatureCheck.h"
#include "verifier/SignatureBanner.h"

namespace sumbrook {
namespace {

struct BannerCase {
    const char* what;
    CheckOutcome::End end;
    int signatureExit;
    bool withResult;
    SignatureResult::Verdict verdict;
    const char* label;
    bool shown;
    StatusTone tone;
    const char* text;
    bool addKey;
};

constexpr auto kDone = CheckOutcome::End::kDone;
constexpr auto kRefused = CheckOutcome::End::kRefused;
using V = SignatureResult::Verdict;

const BannerCase kCases[] = {
    {"no signature", kDone, 0, false, V::kGood, "", false, StatusTone::kPlain, "", false},
    {"good, labelled", kDone, 0, true, V::kGood, "Debian", true, StatusTone::kGood,
     "Signed by Debian (Archive <a@example.org>) \xC2\xB7 fingerprint 0102 0304 0506 0708 090A "
     "0B0C 0D0E 0F10 1112 1314 \xC2\xB7 2024-06-01 12:00:00 UTC",
     false},
    {"good, no label", kDone, 0, true, V::kGood, "", true, StatusTone::kGood,
     "Signed by Archive <a@example.org> \xC2\xB7 fingerprint 0102 0304 0506 0708 090A 0B0C "
     "0D0E 0F10 1112 1314 \xC2\xB7 2024-06-01 12:00:00 UTC",
     false},
    {"bad: the run was refused", kRefused, 1, true, V::kBad, "", true, StatusTone::kBad,
     "BAD signature: the list was changed after it was signed; nothing was checked", false},
    {"unknown key", kDone, 2, true, V::kUnknownKey, "", true, StatusTone::kWarning,
     "Signed by a key you have not added: AAAA BBBB", true},
    {"refused by the policy", kDone, 2, true, V::kRefused, "", true, StatusTone::kWarning,
     "Signature NOT verified: made with SHA-1", false},
    {"signature unreadable", kRefused, 2, false, V::kGood, "", true, StatusTone::kWarning,
     "Signature NOT verified: its signature cannot be checked: x.asc: no signature", false},
    {"refused for another reason", kRefused, 0, false, V::kGood, "", false, StatusTone::kPlain, "",
     false},
};

TEST(SignatureBannerTest, EachVerdictHasItsWordsColourAndButton) {
    for (const BannerCase& c : kCases) {
        CheckOutcome outcome;
        outcome.end = c.end;
        outcome.signatureExit = c.signatureExit;
        outcome.error = "its signature cannot be checked: x.asc: no signature";
        if (c.withResult) {
            auto result = std::make_shared<SignatureResult>();
            result->verdict = c.verdict;
            result->label = c.label;
            result->userId = "Archive <a@example.org>";
            result->primaryFingerprint = std::string(
                "\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0A"
                "\x0B\x0C\x0D\x0E\x0F\x10\x11\x12\x13\x14",
                20);
            result->created = 1717243200U;
            result->issuer = "AAAA BBBB";
            result->reason = "made with SHA-1";
            outcome.signatureResult = result;
        }
        const SignatureBanner banner = SignatureBannerOf(outcome);
        EXPECT_EQ(banner.shown, c.shown) << c.what;
        EXPECT_EQ(banner.tone, c.tone) << c.what;
        EXPECT_EQ(banner.text, c.text) << c.what;
        EXPECT_EQ(banner.offersAddKey, c.addKey) << c.what;
    }
}

}  // namespace
}  // namespace sumbrook
