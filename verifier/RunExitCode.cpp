#include "verifier/RunExitCode.h"

namespace sumbrook {

int ExitCodeOfRun(const CheckOutcome& outcome) {
    if (outcome.end == CheckOutcome::End::kCancelled) return kVerifierExitCancelled;
    if (outcome.end == CheckOutcome::End::kRefused) return kVerifierExitError;
    const StatusCounts& counts = outcome.counts;
    if (counts.Count(VerifyStatus::kUnreadable) > 0 || outcome.foldersNotListed > 0) {
        return kVerifierExitError;
    }
    for (const VerifyStatus status :
         {VerifyStatus::kChanged, VerifyStatus::kMissing, VerifyStatus::kNew,
          VerifyStatus::kAmbiguous, VerifyStatus::kDuplicate, VerifyStatus::kDifferent}) {
        if (counts.Count(status) > 0) return kVerifierExitDifferences;
    }
    return kVerifierExitOk;
}

}  // namespace sumbrook
