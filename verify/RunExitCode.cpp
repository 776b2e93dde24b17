#include "verify/RunExitCode.h"

namespace sumbrook {

int ExitCodeOf(const StatusCounts& counts) {
    if (counts.Count(VerifyStatus::kUnreadable) > 0) return kExitError;
    return counts.AnyDifference() ? kExitDifferences : kExitOk;
}

int ExitCodeOf(const CheckOutcome& outcome) {
    switch (outcome.end) {
        case CheckOutcome::End::kCancelled:
            return kExitCancelled;
        case CheckOutcome::End::kRefused:
            return outcome.signatureExit == kExitDifferences ? kExitDifferences : kExitError;
        case CheckOutcome::End::kDone:
            break;
    }
    const int code = outcome.foldersNotListed > 0 ? kExitError : ExitCodeOf(outcome.counts);
    return code > outcome.signatureExit ? code : outcome.signatureExit;
}

}  // namespace sumbrook
