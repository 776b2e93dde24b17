#include "verifier/StatusLineText.h"

#include "verifier/RowText.h"
#include "verifier/ThroughputMeter.h"

namespace sumbrook {

namespace {

constexpr char kDot[] = " \xC2\xB7 ";

}  // namespace

std::string StatusLineText(const StatusLineFacts& facts) {
    std::string line = GroupedNumber(facts.filesDone) + " of " + GroupedNumber(facts.filesPlanned) +
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
    switch (facts.phase) {
        case StatusLineFacts::Phase::kRunning:
            if (facts.bytesPerSecond >= 0.0) line += kDot + SpeedText(facts.bytesPerSecond);
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
