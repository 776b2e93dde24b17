#include "verifier/CheckReport.h"

#include "verify/ReportText.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

constexpr char kLineEnd[] = "\r\n";

}  // namespace

std::string CheckReportText(const std::vector<CheckRow>& rows, const CheckOutcome& outcome,
                            const std::vector<std::string>& notices) {
    std::string text;
    if (outcome.end == CheckOutcome::End::kRefused) {
        // The command line's complaint on its standard error.
        return NoticeLine(RefusalText(outcome)) + kLineEnd;
    }
    // The command line tells them before the first row.
    for (const std::string& notice : notices) text.append(NoticeLine(notice)).append(kLineEnd);
    for (const CheckRow& row : rows) text.append(ReportLine(row)).append(kLineEnd);
    text.append(SummaryLine(outcome.kind, outcome.counts)).append(kLineEnd);
    if (outcome.end == CheckOutcome::End::kCancelled) text.append("cancelled").append(kLineEnd);
    return text;
}

}  // namespace sumbrook
