#include "verifier/RowText.h"

#include <cstring>

#include "crc/Crc32.h"
#include "verify/DisplayName.h"
#include "verify/ReportText.h"

namespace sumbrook {

namespace {

// Where the Expected and Found columns show the checksums the report line
// gives as its detail.
bool ChecksumsShown(const CheckRow& row) {
    return row.status == VerifyStatus::kChanged || row.status == VerifyStatus::kNew ||
           (row.status == VerifyStatus::kDifferent && !row.sizesCompared);
}

// Whether the Detail cell is empty, told without making its text (most
// rows of a large check are OK or MISSING).
bool NoDetail(const CheckRow& row) {
    if (row.readThroughCache > 0) return false;
    return ChecksumsShown(row) || row.status == VerifyStatus::kOk ||
           row.status == VerifyStatus::kMissing || row.status == VerifyStatus::kEmpty;
}

bool HasSize(const CheckRow& row) {
    return row.hasFound && !row.sizesCompared;
}

}  // namespace

std::string StatusCell(const CheckRow& row) {
    return VerifyStatusName(row.status);
}

std::string NameCell(const CheckRow& row) {
    return DisplayName(row.name);
}

std::string ExpectedCell(const CheckRow& row) {
    return row.hasExpected ? Crc32Text(row.expected) : std::string();
}

std::string FoundCell(const CheckRow& row) {
    return row.hasFound ? Crc32Text(row.found) : std::string();
}

std::string SizeCell(const CheckRow& row) {
    return HasSize(row) ? GroupedNumber(row.size) : std::string();
}

std::string DetailCell(const CheckRow& row) {
    if (NoDetail(row)) return std::string();
    std::string detail = ChecksumsShown(row) ? std::string() : ReportDetail(row);
    if (row.readThroughCache) {
        if (!detail.empty()) detail += "; ";
        detail += "read through the cache (the file system refused uncached reads)";
    }
    return detail;
}

bool StatusLess(const CheckRow& a, const CheckRow& b) {
    return a.status != b.status &&
           std::strcmp(VerifyStatusName(a.status), VerifyStatusName(b.status)) < 0;
}

bool NameLess(const CheckRow& a, const CheckRow& b) {
    return a.name < b.name;
}

bool ExpectedLess(const CheckRow& a, const CheckRow& b) {
    if (a.hasExpected != b.hasExpected) return !a.hasExpected;
    return a.hasExpected && a.expected < b.expected;
}

bool FoundLess(const CheckRow& a, const CheckRow& b) {
    if (a.hasFound != b.hasFound) return !a.hasFound;
    return a.hasFound && a.found < b.found;
}

bool SizeLess(const CheckRow& a, const CheckRow& b) {
    if (HasSize(a) != HasSize(b)) return !HasSize(a);
    return HasSize(a) && a.size < b.size;
}

bool DetailLess(const CheckRow& a, const CheckRow& b) {
    if (NoDetail(b)) return false;
    if (NoDetail(a)) return true;
    return DetailCell(a) < DetailCell(b);
}

std::string GroupedNumber(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

}  // namespace sumbrook
