#include "verifier/RowText.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "verify/DisplayName.h"
#include "verify/ReportText.h"

namespace sumbrook {

namespace {

// By kind, then byte by byte: in the order of their texts within a kind.
bool DigestLess(const Digest& a, const Digest& b) {
    if (a.Kind() != b.Kind()) return a.Kind() < b.Kind();
    return std::lexicographical_compare(a.Bytes(), a.Bytes() + a.Size(), b.Bytes(),
                                        b.Bytes() + b.Size());
}

// Where the Expected and Found columns show the checksums the report line
// gives as its detail.
bool ChecksumsShown(VerifyStatus status, bool sizesCompared) {
    return status == VerifyStatus::kChanged || status == VerifyStatus::kNew ||
           (status == VerifyStatus::kDifferent && !sizesCompared);
}

// Whether the Detail cell is empty, told without making its text (most
// rows of a large check are OK or MISSING, and plain).
bool NoDetail(RowRef row) {
    if (!row.Plain()) return false;
    const VerifyStatus status = row.Status();
    return ChecksumsShown(status, false) || status == VerifyStatus::kOk ||
           status == VerifyStatus::kMissing || status == VerifyStatus::kEmpty;
}

}  // namespace

std::string StatusCell(RowRef row) {
    return VerifyStatusName(row.Status());
}

std::string NameCell(RowRef row) {
    return DisplayName(std::string(row.Name()));
}

std::string ExpectedCell(RowRef row) {
    return row.HasExpected() ? row.Expected().Text() : std::string();
}

std::string FoundCell(RowRef row) {
    return row.HasFound() ? row.Found().Text() : std::string();
}

std::string DigestColumnText(const std::string& digits) {
    if (digits.size() <= kWholeDigestColumnDigits) return digits;
    return digits.substr(0, 12) + "\xE2\x80\xA6" + digits.substr(digits.size() - 12);
}

std::string ExpectedColumnCell(RowRef row) {
    return DigestColumnText(ExpectedCell(row));
}

std::string FoundColumnCell(RowRef row) {
    return DigestColumnText(FoundCell(row));
}

std::string SizeCell(RowRef row) {
    return row.HasSize() ? GroupedNumber(row.Size()) : std::string();
}

std::string DetailCell(RowRef ref) {
    if (NoDetail(ref)) return std::string();
    const CheckRow row = ref.Whole();
    std::string detail =
        ChecksumsShown(row.status, row.sizesCompared) ? std::string() : ReportDetail(row);
    if (row.readThroughCache) {
        if (!detail.empty()) detail += "; ";
        detail += "read through the cache (the file system refused uncached reads)";
    }
    return detail;
}

bool StatusLess(RowRef a, RowRef b) {
    return a.Status() != b.Status() &&
           std::strcmp(VerifyStatusName(a.Status()), VerifyStatusName(b.Status())) < 0;
}

bool NameLess(RowRef a, RowRef b) {
    return a.Name() < b.Name();
}

bool ExpectedLess(RowRef a, RowRef b) {
    if (a.HasExpected() != b.HasExpected()) return !a.HasExpected();
    return a.HasExpected() && DigestLess(a.Expected(), b.Expected());
}

bool FoundLess(RowRef a, RowRef b) {
    if (a.HasFound() != b.HasFound()) return !a.HasFound();
    return a.HasFound() && DigestLess(a.Found(), b.Found());
}

bool SizeLess(RowRef a, RowRef b) {
    if (a.HasSize() != b.HasSize()) return !a.HasSize();
    return a.HasSize() && a.Size() < b.Size();
}

bool DetailLess(RowRef a, RowRef b) {
    if (NoDetail(b)) return false;
    if (NoDetail(a)) return true;
    return DetailCell(a) < DetailCell(b);
}

std::string GroupedNumber(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    return digits;
}

int DigestColumnWidth(std::optional<DigestKind> kind) {
    // About 7 pixels a hexadecimal digit in the message font, and the
    // cell's margins.
    constexpr int kDigitWidth = 7;
    constexpr int kMargins = 16;
    const int least = kRowColumns[2].width;
    if (!kind) return least;
    const std::size_t whole = 2 * DigestSize(*kind);
    // "…" about two digits wide.
    const int digits = static_cast<int>(whole <= kWholeDigestColumnDigits ? whole : 24 + 2);
    return std::max(least, digits * kDigitWidth + kMargins);
}

}  // namespace sumbrook
