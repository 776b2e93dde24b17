#include "verify/ReportText.h"

#include "files/ReadFailure.h"
#include "verify/DisplayName.h"

namespace sumbrook {

namespace {

std::string SizeText(std::uint64_t size) {
    return std::to_string(size) + (size == 1 ? " byte" : " bytes");
}

std::string AmbiguityText(const CheckRow& row) {
    std::string text = "fits " + std::to_string(row.candidates.size()) +
                       (row.candidates.size() == 1 ? " file: " : " files: ");
    for (std::size_t i = 0; i < row.candidates.size(); ++i) {
        if (i > 0) text += ", ";
        text += DisplayName(row.candidates[i]);
    }
    if (row.sameFieldLines > 1) {
        text += "; " + std::to_string(row.sameFieldLines) +
                " lines of the protocol have this name field";
    }
    return text;
}

template <std::size_t N>
std::string CountsText(const std::array<VerifyStatus, N>& shown, const StatusCounts& counts) {
    std::string line;
    for (std::size_t i = 0; i < N; ++i) {
        if (i > 0) line += ", ";
        line += std::to_string(counts.Count(shown[i])) + " " + VerifyStatusName(shown[i]);
    }
    return line;
}

// The status padded to 12 characters, in a string with room for `more`.
std::string StatusColumn(VerifyStatus status, std::size_t more) {
    std::string line;
    line.reserve(12 + more);
    line = VerifyStatusName(status);
    line.resize(12, ' ');
    return line;
}

void AppendDetail(std::string& line, std::string_view detail) {
    if (detail.empty()) return;
    line += "  ";
    line.append(detail);
}

// What ReportDetail says of the row's status.
std::string StatusDetail(const CheckRow& row) {
    switch (row.status) {
        case VerifyStatus::kChanged:
            return row.expected.Text() + " -> " + row.found.Text();
        case VerifyStatus::kDifferent:
            if (row.sizesCompared) {
                return SizeText(row.expectedSize) + " -> " + SizeText(row.foundSize);
            }
            return row.expected.Text() + " -> " + row.found.Text();
        case VerifyStatus::kNew:
            return row.hasFound ? row.found.Text() : std::string();
        case VerifyStatus::kUnreadable:
            if (!row.nameFault.empty()) return "cannot be listed: " + row.nameFault;
            if (!row.notHeld.empty() && !row.lines.empty()) {
                return LineFault(row.lines.front(), row.notHeld);
            }
            if (row.failedPath.empty()) return ReadFailureText(row.failure);
            return DisplayName(row.failedPath) + ": " + ReadFailureText(row.failure);
        case VerifyStatus::kAmbiguous:
            return AmbiguityText(row);
        case VerifyStatus::kDuplicate:
            return LinesText(row.lines);
        case VerifyStatus::kOk:
        case VerifyStatus::kMissing:
        case VerifyStatus::kEmpty:
            break;
    }
    return {};
}

}  // namespace

std::string VerifyLine(VerifyStatus status, std::string_view name, std::string_view detail) {
    std::string line = StatusColumn(status, name.size() + 2 + detail.size());
    line.append(name);
    AppendDetail(line, detail);
    return line;
}

std::string ReportLine(const CheckRow& row) {
    const std::string detail = ReportDetail(row);
    std::string line = StatusColumn(row.status, row.name.size() + 2 + detail.size());
    AppendDisplayName(line, row.name);
    AppendDetail(line, detail);
    return line;
}

std::string ReportDetail(const CheckRow& row) {
    std::string detail = StatusDetail(row);
    if (!row.showsKind || !row.hasExpected) return detail;
    std::string kind = DigestKindName(row.expected.Kind());
    return detail.empty() ? kind : kind + ": " + detail;
}

std::string SummaryLine(CheckKind kind, const StatusCounts& counts) {
    std::string line;
    switch (kind) {
        case CheckKind::kProtocol:
            line = CountsText(kProtocolSummary, counts);
            break;
        case CheckKind::kList:
            line = CountsText(kListSummary, counts);
            break;
        case CheckKind::kCopy:
            line = CountsText(kCompareSummary, counts);
            break;
    }
    if (counts.ReadThroughCache() > 0) {
        line += ", " + std::to_string(counts.ReadThroughCache()) +
                " read through the cache (the file system refused uncached reads)";
    }
    return line;
}

std::string LinesText(const std::vector<std::size_t>& lines) {
    std::string text = "on lines ";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += i + 1 == lines.size() ? " and " : ", ";
        text += std::to_string(lines[i]);
    }
    return text;
}

std::string LineFault(std::size_t line, std::string_view reason) {
    if (line == 0) return std::string(reason);
    std::string text = "line " + std::to_string(line) + ": ";
    text.append(reason);
    return text;
}

}  // namespace sumbrook
