#include "verifier/RowText.h"

#include <cstddef>

#include "crc/Crc32.h"
#include "files/ReadFailure.h"

namespace sumbrook {

namespace {

std::string ShownName(const std::string& name) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string shown;
    shown.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            shown += "\\x";
            shown += kDigits[byte >> 4];
            shown += kDigits[byte & 0xF];
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string DetailText(const CheckRow& row) {
    std::string detail;
    const auto add = [&detail](const std::string& part) {
        if (!detail.empty()) detail += "; ";
        detail += part;
    };
    if (row.status == VerifyStatus::kUnreadable) {
        add(ReadFailureText(row.failure));
        if (!row.failedPath.empty() && row.failedPath != row.name) {
            detail += " (" + ShownName(row.failedPath) + ")";
        }
    }
    if (row.sizesCompared) {
        add("size " + GroupedNumber(row.expectedSize) + " -> " + GroupedNumber(row.foundSize));
    }
    if (!row.lines.empty()) {
        std::string lines = row.lines.size() == 1 ? "line " : "lines ";
        for (std::size_t i = 0; i < row.lines.size(); ++i) {
            if (i > 0) lines += ", ";
            lines += std::to_string(row.lines[i]);
        }
        add(lines);
    }
    if (row.status == VerifyStatus::kAmbiguous) {
        std::string fits = "fits " + std::to_string(row.candidates.size()) +
                           (row.candidates.size() == 1 ? " file: " : " files: ");
        for (std::size_t i = 0; i < row.candidates.size(); ++i) {
            if (i > 0) fits += ", ";
            fits += ShownName(row.candidates[i]);
        }
        add(fits);
        if (row.sameFieldLines > 1) {
            add(std::to_string(row.sameFieldLines) + " lines of the protocol have this name field");
        }
    }
    if (row.readThroughCache) add("read through the cache");
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
            return ShownName(row.name);
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
