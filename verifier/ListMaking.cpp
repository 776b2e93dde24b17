#include "verifier/ListMaking.h"

#include <vector>

#include "files/SameFile.h"
#include "platform/ReplacingFileWriter.h"
#include "verify/ListHeaderTime.h"
#include "verify/ListOfFolder.h"
#include "verify/OutputTarget.h"

namespace sumbrook {

CheckOutcome MakeListOfFolder(const std::string& folder, const std::string& target,
                              ListFormat format, const CheckOptions& options, CheckSink& sink) {
    const std::string fault = OutputTargetFault(target, "", {});
    if (!fault.empty()) {
        CheckOutcome refused;
        refused.end = CheckOutcome::End::kRefused;
        refused.subject = target;
        refused.error = fault;
        refused.errorFollowsSubject = true;
        return refused;
    }
    // A list already at the target is about to be replaced: not listed.
    std::vector<std::string> lines;
    CheckOutcome outcome = MakeList(folder, {IdentityOf(target)}, options, sink, format, lines);
    if (outcome.end != CheckOutcome::End::kDone) return outcome;
    std::string warning;  // the window has no standard error: the local time is no fault
    const LocalDateTime when = ListHeaderTime(warning);
    const ListFormatDescriptor& written = DescriptorOf(format);
    std::string text;
    for (const std::string& line :
         written.headerLines("SumbrookVerify", SUMBROOK_VERIFIER_VERSION, when)) {
        text.append(line).append(written.lineEnd);
    }
    for (const std::string& line : lines) text.append(line).append(written.lineEnd);
    const std::string failed = ReplaceFileContent(target, text);
    if (!failed.empty()) {
        outcome.end = CheckOutcome::End::kRefused;
        outcome.subject = target;
        outcome.error = failed;
    }
    return outcome;
}

}  // namespace sumbrook
