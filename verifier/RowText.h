// The cells of a row as the window's list view shows them, and the order the
// columns sort in.
#pragma once

#include <cstdint>
#include <string>

#include "verify/CheckRow.h"

namespace sumbrook {

enum class RowColumn { kStatus, kName, kExpected, kFound, kSize, kDetail };
inline constexpr int kRowColumnCount = 6;

// "Status", "Name", "Expected", "Found", "Size", "Detail".
const char* RowColumnTitle(RowColumn column);

// UTF-8. Status: the status word; Name: as the report shows it (control
// characters as \xNN); Expected, Found: eight hex digits where there is a
// checksum; Size: the bytes read, in groups of three ("1,048,576"); Detail:
// what the report line says after the name where the columns before do not
// say it (the reason a file could not be read or listed, the lines that name
// a duplicate, the files a protocol line fits, the sizes of copies that
// differ), and a file read through the cache against the run's wish.
std::string RowCellText(const CheckRow& row, RowColumn column);

// "1,048,576".
std::string GroupedNumber(std::uint64_t value);

// Strict weak order of two rows by one column: checksums and sizes by value
// (rows without one first), the other columns by their text.
bool CellLess(const CheckRow& a, const CheckRow& b, RowColumn column);

}  // namespace sumbrook
