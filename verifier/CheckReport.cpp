#include "verifier/CheckReport.h"

#include "verify/ReportText.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

constexpr char kLineEnd[] = "\r\n";

}  // namespace

std::string CheckReportText(const std::vector<CheckRow>& rows, const CheckOutcome& outcome) {
    std::string text;
    if (outcome.end == CheckOutcome::End::kRefused) {
        // The command line's complaint on its standard error.
        return NoticeLine(RefusalText(outcome)) + kLineEnd;
    }
    for (const CheckRow& row : rows) text.append(ReportLine(row)).append(kLineEnd);
    text.append(SummaryLine(outcome.kind, outcome.counts)).append(kLineEnd);
    if (outcome.end == CheckOutcome::End::kCancelled) text.append("cancelled").append(kLineEnd);
    return text;
}

}  // namespace sumbrook
