#include "verifier/RowText.h"

#include <cstddef>

#include "crc/Crc32.h"
#include "verify/DisplayName.h"
#include "verify/ReportText.h"

namespace sumbrook {

namespace {

// The detail of the row's report line, where the Expected and Found columns
// do not already say it.
std::string DetailText(const CheckRow& row) {
    const bool checksumsShown = row.status == VerifyStatus::kChanged ||
                                row.status == VerifyStatus::kNew ||
                                (row.status == VerifyStatus::kDifferent && !row.sizesCompared);
    std::string detail = checksumsShown ? std::string() : ReportDetail(row);
    if (row.readThroughCache) {
        if (!detail.empty()) detail += "; ";
        detail += "read through the cache (the file system refused uncached reads)";
    }
    return detail;
}

bool HasSize(const CheckRow& row) {
    return row.hasFound && !row.sizesCompared;
}

}  // namespace

const char* RowColumnTitle(RowColumn column) {
    switch (column) {
        case RowColumn::kStatus:
            return "Status";
        case RowColumn::kName:
            return "Name";
        case RowColumn::kExpected:
            return "Expected";
        case RowColumn::kFound:
            return "Found";
        case RowColumn::kSize:
            return "Size";
        case RowColumn::kDetail:
            return "Detail";
    }
    return "";
}

std::string GroupedNumber(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

std::string RowCellText(const CheckRow& row, RowColumn column) {
    switch (column) {
        case RowColumn::kStatus:
            return VerifyStatusName(row.status);
        case RowColumn::kName:
            return DisplayName(row.name);
        case RowColumn::kExpected:
            return row.hasExpected ? Crc32Text(row.expected) : std::string();
        case RowColumn::kFound:
            return row.hasFound ? Crc32Text(row.found) : std::string();
        case RowColumn::kSize:
            return HasSize(row) ? GroupedNumber(row.size) : std::string();
        case RowColumn::kDetail:
            return DetailText(row);
    }
    return std::string();
}

bool CellLess(const CheckRow& a, const CheckRow& b, RowColumn column) {
    switch (column) {
        case RowColumn::kExpected:
            if (a.hasExpected != b.hasExpected) return !a.hasExpected;
            return a.hasExpected && a.expected < b.expected;
        case RowColumn::kFound:
            if (a.hasFound != b.hasFound) return !a.hasFound;
            return a.hasFound && a.found < b.found;
        case RowColumn::kSize:
            if (HasSize(a) != HasSize(b)) return !HasSize(a);
            return HasSize(a) && a.size < b.size;
        case RowColumn::kName:
            return a.name < b.name;
        case RowColumn::kStatus:
        case RowColumn::kDetail:
            break;
    }
    return RowCellText(a, column) < RowCellText(b, column);
}

}  // namespace sumbrook
