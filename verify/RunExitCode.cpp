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
            return kExitError;
        case CheckOutcome::End::kDone:
            break;
    }
    return outcome.foldersNotListed > 0 ? kExitError : ExitCodeOf(outcome.counts);
}

}  // namespace sumbrook
