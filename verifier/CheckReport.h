// The report of a check as `sumbrook-cli --verify` writes it for the same
// list, folder and options, its standard error and output as they come:
// each notice (a folder that could not be listed, the list naming itself)
// as the line the command line gives on standard error, one line per row,
// then the summary line; for a refused list, the line the command line gives
// on its standard error. A cancelled check ends with a line "cancelled"
// after the summary of the rows it found.
#pragma once

#include <string>
#include <vector>

#include "verify/CheckSink.h"

namespace sumbrook {

// UTF-8 lines ended by CR LF, as the window saves them. `rows` in report
// order; `notices` as RunNotices.h words them.
std::string CheckReportText(const std::vector<CheckRow>& rows, const CheckOutcome& outcome,
                            const std::vector<std::string>& notices);

}  // namespace sumbrook
