// The columns of the window's list of rows, in one table: each with its
// title, width and alignment, the text of a row's cell and the order of two
// rows by it. The list view shows them in the table's order; a new column is
// one more entry.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "verifier/RowStore.h"

namespace sumbrook {

// The cells, UTF-8. Status: the status word; Name: as the report shows it
// (control characters as \xNN); Expected, Found: the checksum where there
// is one; Size: the bytes read, in groups of three ("1,048,576"); Detail:
// what the report line says after the name where the columns before do not
// say it (ReportDetail: the reason a file could not be read or listed, the
// lines that name a duplicate, the files a protocol line fits, the sizes of
// copies that differ), and a file read through the cache against the run's
// wish.
std::string StatusCell(RowRef row);
std::string NameCell(RowRef row);
std::string ExpectedCell(RowRef row);
std::string FoundCell(RowRef row);
// The Expected and Found columns: a digest of more than
// kWholeDigestColumnDigits digits as its first and last 12 with "…" between
// (whole in the row's infotip, in Copy and in the report), so that a
// SHA-512 list's columns leave Status and Name in sight.
inline constexpr std::size_t kWholeDigestColumnDigits = 40;
std::string DigestColumnText(const std::string& digits);
std::string ExpectedColumnCell(RowRef row);
std::string FoundColumnCell(RowRef row);
std::string SizeCell(RowRef row);
std::string DetailCell(RowRef row);

// Strict weak orders of two rows: statuses by their words, names byte by
// byte, checksums and sizes by value (rows without one first), details by
// their text.
bool StatusLess(RowRef a, RowRef b);
bool NameLess(RowRef a, RowRef b);
bool ExpectedLess(RowRef a, RowRef b);
bool FoundLess(RowRef a, RowRef b);
bool SizeLess(RowRef a, RowRef b);
bool DetailLess(RowRef a, RowRef b);

struct RowColumn {
    const char* title;
    int width;  // pixels at 96 dots per inch
    bool alignRight;
    std::string (*cell)(RowRef row);
    bool (*less)(RowRef a, RowRef b);
};

inline constexpr RowColumn kRowColumns[] = {
    {"Status", 90, false, StatusCell, StatusLess},
    {"Name", 300, false, NameCell, NameLess},
    {"Expected", 75, false, ExpectedColumnCell, ExpectedLess},
    {"Found", 75, false, FoundColumnCell, FoundLess},
    {"Size", 90, true, SizeCell, SizeLess},
    {"Detail", 260, false, DetailCell, DetailLess},
};
inline constexpr std::size_t kRowColumnCount = std::size(kRowColumns);

// The width of the Expected and Found columns, in pixels at 96 dots per
// inch, for digests of `kind` (none: the table's width above): their
// column's text fits, at least the table's width.
int DigestColumnWidth(std::optional<DigestKind> kind);

// "1,048,576".
std::string GroupedNumber(std::uint64_t value);

}  // namespace sumbrook
