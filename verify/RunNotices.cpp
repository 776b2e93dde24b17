#include "verify/RunNotices.h"

#include "verify/DisplayName.h"
#include "verify/ReportText.h"

namespace sumbrook {

std::string RefusalText(const CheckOutcome& outcome) {
    if (outcome.subject.empty()) return outcome.error;
    return DisplayName(outcome.subject) + (outcome.errorFollowsSubject ? " " : ": ") +
           outcome.error;
}

std::string SummaryWithNotesLine(const CheckOutcome& outcome) {
    std::string line = SummaryLine(outcome.kind, outcome.counts);
    for (const std::string& note : outcome.notes) line.append("; ").append(note);
    return line;
}

std::string FolderNotListedText(const std::string& path, const std::string& error) {
    return DisplayName(path) + ": the folder cannot be listed: " + error;
}

std::string ListNamesItselfText(const std::string& listPath, std::size_t line) {
    return DisplayName(listPath) + " names itself on line " + std::to_string(line) +
           "; that line is not checked";
}

std::string ListFoundAsText(const std::string& listPath, const std::string& name) {
    return DisplayName(name) + " is " + DisplayName(listPath) +
           " itself (the same file); it is not checked";
}

std::string LinkLeftOutText(const std::string& path, const std::string& error) {
    return DisplayName(path) + ": left out: a link that leads to no file (" + error + ")";
}

std::string NoticeLine(std::string_view sentence) {
    std::string line = "sumbrook-cli: ";
    line.append(sentence);
    return line;
}

}  // namespace sumbrook
