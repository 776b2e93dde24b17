#include "verifier/CheckReport.h"

#include "verify/ReportText.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

constexpr char kLineEnd[] = "\r\n";

}  // namespace

std::string ReportHead(const CheckOutcome& outcome, const std::vector<std::string>& notices) {
    // The command line's complaint on its standard error.
    if (!ReportHasRows(outcome)) return NoticeLine(RefusalText(outcome)) + kLineEnd;
    // The command line tells them before the first row.
    std::string text;
    for (const std::string& notice : notices) text.append(NoticeLine(notice)).append(kLineEnd);
    return text;
}

bool ReportHasRows(const CheckOutcome& outcome) {
    return outcome.end != CheckOutcome::End::kRefused;
}

std::string ReportRowLine(const CheckRow& row) {
    return ReportLine(row) + kLineEnd;
}

std::string ReportTail(const CheckOutcome& outcome) {
    if (!ReportHasRows(outcome)) return std::string();
    std::string text = SummaryWithNotesLine(outcome) + kLineEnd;
    if (outcome.end == CheckOutcome::End::kCancelled) text.append("cancelled").append(kLineEnd);
    return text;
}

std::string CheckReportText(const RowStore& rows, const CheckOutcome& outcome,
                            const std::vector<std::string>& notices) {
    std::string text = ReportHead(outcome, notices);
    if (!ReportHasRows(outcome)) return text;
    for (std::size_t index = 0; index < rows.Count(); ++index) {
        text += ReportRowLine(rows.At(index).Whole());
    }
    return text + ReportTail(outcome);
}

}  // namespace sumbrook
