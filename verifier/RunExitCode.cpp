#include "verifier/RunExitCode.h"

namespace sumbrook {

int ExitCodeOfRun(const CheckOutcome& outcome) {
    if (outcome.end == CheckOutcome::End::kCancelled) return kVerifierExitCancelled;
    if (outcome.end == CheckOutcome::End::kRefused) return kVerifierExitError;
    const StatusCounts& counts = outcome.counts;
    if (counts.Count(VerifyStatus::kUnreadable) > 0 || outcome.foldersNotListed > 0) {
        return kVerifierExitError;
    }
    return counts.AnyDifference() ? kVerifierExitDifferences : kVerifierExitOk;
}

}  // namespace sumbrook
