// The text of a check's report, as sumbrook-cli prints it and as the
// verification window saves it: one line per row, then one summary line.
// Names are shown with DisplayName's escapes.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "verify/CheckRow.h"

namespace sumbrook {

// The counts each kind of run sums up, in the order of its summary line.
inline constexpr std::array<VerifyStatus, 7> kProtocolSummary = {
    VerifyStatus::kOk,    VerifyStatus::kChanged,    VerifyStatus::kMissing,  VerifyStatus::kNew,
    VerifyStatus::kEmpty, VerifyStatus::kUnreadable, VerifyStatus::kAmbiguous};
inline constexpr std::array<VerifyStatus, 6> kListSummary = {
    VerifyStatus::kOk,  VerifyStatus::kChanged,    VerifyStatus::kMissing,
    VerifyStatus::kNew, VerifyStatus::kUnreadable, VerifyStatus::kDuplicate};
inline constexpr std::array<VerifyStatus, 5> kCompareSummary = {
    VerifyStatus::kOk, VerifyStatus::kDifferent, VerifyStatus::kMissing, VerifyStatus::kNew,
    VerifyStatus::kUnreadable};

// A line of the report: the status padded to 12 characters, the name, and,
// after two blanks, `detail` if there is one:
// "CHANGED     a.txt  352441C2 -> CBF43926".
std::string VerifyLine(VerifyStatus status, std::string_view name, std::string_view detail);

// The report line of `row` (names escaped): CHANGED and a copy's DIFFERENT
// "EXPECTED -> FOUND", both digests in full (Digest::Text), or "5 bytes -> 7
// bytes" for sizes, NEW its digest,
// UNREADABLE the reason (a copy's with the path that failed first), AMBIGUOUS
// "fits 2 files: a, b" and the lines sharing the name field, DUPLICATE "on
// lines 3 and 7".
std::string ReportLine(const CheckRow& row);

// What the report line of `row` says after its name ("" when nothing):
// ReportLine(row) is VerifyLine(row.status, DisplayName(row.name),
// ReportDetail(row)).
std::string ReportDetail(const CheckRow& row);

// The summary line of a run of `kind`: "3 OK, 1 CHANGED, 0 MISSING, ..."
// in the order above, followed, when files were read through the cache
// against an uncached run's wish, by ", 2 read through the cache (the file
// system refused uncached reads)".
std::string SummaryLine(CheckKind kind, const StatusCounts& counts);

// "on lines 3 and 7" / "on lines 3, 7 and 9".
std::string LinesText(const std::vector<std::size_t>& lines);

// "line 3: <reason>": what is wrong with a line of a list; line 0, the
// reason alone: what is wrong with the list as a whole.
std::string LineFault(std::size_t line, std::string_view reason);

}  // namespace sumbrook
