#include "verifier/StatusLineText.h"

#include "verifier/RowText.h"
#include "verifier/ThroughputMeter.h"

namespace sumbrook {

namespace {

constexpr char kDot[] = " \xC2\xB7 ";

std::string StepText(CheckStep step, std::size_t done) {
    switch (step) {
        case CheckStep::kReadingList:
            return "Reading the list: " + GroupedNumber(done) + (done == 1 ? " line" : " lines");
        case CheckStep::kListingFolders:
            return "Listing folders: " + GroupedNumber(done) + (done == 1 ? " file" : " files");
        case CheckStep::kPlanning:
            return "Planning: " + GroupedNumber(done) + (done == 1 ? " row" : " rows");
    }
    return std::string();
}

}  // namespace

std::string StatusLineText(const StatusLineFacts& facts) {
    if (facts.phase == StatusLineFacts::Phase::kIdle) {
        return "Open a list (Ctrl+O) or drop one here to check its files.";
    }
    const std::string kindText =
        facts.digestKind ? std::string(DigestKindName(*facts.digestKind)) + " list" + kDot
                         : std::string();
    if (facts.phase == StatusLineFacts::Phase::kStep) {
        return kindText + StepText(facts.step, facts.stepDone) +
               (facts.cancelling ? std::string(kDot) + "Cancelling..." : std::string());
    }
    std::string line = kindText;
    line += facts.filesPlanned == 0
                ? std::string("no file to read")
                : GroupedNumber(facts.filesDone) + " of " + GroupedNumber(facts.filesPlanned) +
                      (facts.filesPlanned == 1 ? " file" : " files");
    for (const VerifyStatus status :
         {VerifyStatus::kChanged, VerifyStatus::kDifferent, VerifyStatus::kMissing,
          VerifyStatus::kNew, VerifyStatus::kUnreadable, VerifyStatus::kDuplicate,
          VerifyStatus::kAmbiguous, VerifyStatus::kEmpty}) {
        const std::size_t count = facts.counts.Count(status);
        const bool always = status == VerifyStatus::kUnreadable ||
                            (!facts.makingList &&
                             (status == VerifyStatus::kChanged ||
                              status == VerifyStatus::kMissing || status == VerifyStatus::kNew));
        if (count == 0 && !always) continue;
        line += kDot + GroupedNumber(count) + " " + VerifyStatusName(status);
    }
    if (facts.notices > 0) {
        line += kDot + GroupedNumber(facts.notices) + (facts.notices == 1 ? " notice" : " notices");
    }
    switch (facts.phase) {
        case StatusLineFacts::Phase::kIdle:
        case StatusLineFacts::Phase::kStep:
        case StatusLineFacts::Phase::kRunning:
            if (facts.cancelling) {
                line += std::string(kDot) + "Cancelling...";
                break;
            }
            if (facts.bytesPerSecond > 0.0) line += kDot + SpeedText(facts.bytesPerSecond);
            if (facts.secondsLeft >= 0.0) line += kDot + DurationText(facts.secondsLeft) + " left";
            break;
        case StatusLineFacts::Phase::kDone:
            line += std::string(kDot) + "done";
            break;
        case StatusLineFacts::Phase::kCancelled:
            line += std::string(kDot) + "cancelled";
            break;
        case StatusLineFacts::Phase::kRefused:
            line += std::string(kDot) + (facts.makingList ? "no list made" : "nothing checked");
            break;
    }
    return line;
}

}  // namespace sumbrook
