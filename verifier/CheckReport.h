// The report of a check as `sumbrook-cli --verify` prints it for the same
// list, folder and options: one line per row, then the summary line; for a
// refused list, the line the command line gives on its standard error; a
// cancelled check ends with a line "cancelled" after the summary of the
// rows it found.
#pragma once

#include <string>
#include <vector>

#include "verify/CheckSink.h"

namespace sumbrook {

// UTF-8 lines ended by CR LF, as the window saves them. `rows` in report
// order.
std::string CheckReportText(const std::vector<CheckRow>& rows, const CheckOutcome& outcome);

}  // namespace sumbrook
