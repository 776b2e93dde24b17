// The report of a check as `sumbrook-cli --verify` prints it for the same
// list, folder and options: one line per row, then the summary line; for a
// refused list, the line the command line gives on its standard error.
#pragma once

#include <string>
#include <vector>

#include "verify/CheckRun.h"

namespace sumbrook {

// UTF-8 lines ended by CR LF, as the window saves them. `listPath` as the
// user gave it.
std::string CheckReportText(const std::string& listPath, const std::vector<CheckRow>& rows,
                            const CheckOutcome& outcome);

// One row's report line, without an ending (Copy).
std::string CheckReportLine(const CheckRow& row);

}  // namespace sumbrook
