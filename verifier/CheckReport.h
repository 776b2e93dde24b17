// The report of a check as `sumbrook-cli --verify` writes it for the same
// list, folder and options, its standard error and output as they come:
// each notice (a folder that could not be listed, the list naming itself)
// as the line the command line gives on standard error, one line per row,
// then the summary line and its notes; for a refused list, the line the
// command line gives on its standard error. A cancelled check ends with a line "cancelled"
// after the summary of the rows it found. UTF-8 lines ended by CR LF, as
// the window saves them; in pieces, for a caller that makes a long report
// in slices, or whole.
#pragma once

#include <string>
#include <vector>

#include "verifier/RowStore.h"
#include "verify/CheckSink.h"

namespace sumbrook {

// What comes before the rows: the notices (RunNotices.h's words), or for a
// refused check the whole report.
std::string ReportHead(const CheckOutcome& outcome, const std::vector<std::string>& notices);
// Whether the report has rows: not when the check was refused.
bool ReportHasRows(const CheckOutcome& outcome);
// A row's line.
std::string ReportRowLine(const CheckRow& row);
// What comes after the rows: the summary line with the run's notes
// (SummaryWithNotesLine), and "cancelled".
std::string ReportTail(const CheckOutcome& outcome);

// The whole report; `rows` in report order.
std::string CheckReportText(const RowStore& rows, const CheckOutcome& outcome,
                            const std::vector<std::string>& notices);

}  // namespace sumbrook
