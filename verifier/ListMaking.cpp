#include "verifier/ListMaking.h"

#include <vector>

#include "files/SameFile.h"
#include "lists/ListText.h"
#include "platform/ReplacingFileWriter.h"
#include "verify/ListHeaderTime.h"
#include "verify/ListOfFolder.h"
#include "verify/OutputTarget.h"

namespace sumbrook {

CheckOutcome MakeListOfFolder(const std::string& folder, const std::string& target,
                              ListFormat format, const CheckOptions& options, CheckSink& sink) {
    CheckOutcome refused;
    refused.end = CheckOutcome::End::kRefused;
    refused.error = NotHeldText(format, options.algorithm.value_or(DigestKind::kCrc32));
    if (!refused.error.empty()) return refused;
    refused.error = OutputTargetFault(target, "", {});
    if (!refused.error.empty()) {
        refused.subject = target;
        refused.errorFollowsSubject = true;
        return refused;
    }
    // A list already at the target is about to be replaced: not listed.
    std::vector<std::string> lines;
    CheckOutcome outcome = MakeList(folder, {IdentityOf(target)}, options, sink, format, lines);
    if (outcome.end != CheckOutcome::End::kDone) return outcome;
    std::string warning;  // the window has no standard error: the local time is no fault
    const LocalDateTime when = ListHeaderTime(warning);
    const std::string failed = ReplaceFileContent(
        target, ListText(format, "SumbrookVerify", SUMBROOK_VERIFIER_VERSION, when, lines));
    if (!failed.empty()) {
        outcome.end = CheckOutcome::End::kRefused;
        outcome.subject = target;
        outcome.error = failed;
    }
    return outcome;
}

}  // namespace sumbrook
