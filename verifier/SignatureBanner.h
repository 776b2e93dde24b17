// What the window shows above the rows about the signature of the list it
// checked, in words and a colour: green "Signed by LABEL (USER ID) ·
// fingerprint FPR · DATE" for a good signature by a key the user added, red
// "BAD signature: ..." when the list was changed after it was signed (then
// nothing was checked), amber "Signed by a key you have not added: FPR"
// (with Add key... offered) or "Signature NOT verified: WHY" for a refusal.
// Nothing is shown for a list without a signature. The words of the
// report and the exit code stay the command line's (ListSignature.h).
#pragma once

#include <string>

#include "verifier/StatusTone.h"
#include "verify/CheckSink.h"
#include "verify/SignedFile.h"

namespace sumbrook {

struct SignatureBanner {
    bool shown = false;
    StatusTone tone = StatusTone::kPlain;
    std::string text;  // UTF-8
    // The signer is not in the key store: the window offers to add a key.
    bool offersAddKey = false;
};

// The banner of a check's end (CheckOutcome's signature fields).
SignatureBanner SignatureBannerOf(const CheckOutcome& outcome);

// The line of one file's detached signature (the one-file window): the
// same words, BAD saying that the file or its signature changed; of
// several signatures, the one its exit code follows (a bad one, else a good
// one, else the first).
SignatureBanner SignatureBannerOf(const SignedFileOutcome& outcome);

}  // namespace sumbrook
