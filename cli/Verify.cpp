#include "cli/Verify.h"

#include <unordered_map>

#include "crc/Crc32.h"
#include "files/NameCompare.h"
#include "lists/ProtocolFormat.h"

namespace sumbrook {

const char* VerifyStatusName(VerifyStatus status) {
    switch (status) {
        case VerifyStatus::kOk:
            return "OK";
        case VerifyStatus::kChanged:
            return "CHANGED";
        case VerifyStatus::kMissing:
            return "MISSING";
        case VerifyStatus::kNew:
            return "NEW";
        case VerifyStatus::kEmpty:
            return "EMPTY";
        case VerifyStatus::kUnreadable:
            return "UNREADABLE";
        case VerifyStatus::kAmbiguous:
            return "AMBIGUOUS";
        case VerifyStatus::kDuplicate:
            return "DUPLICATE";
        case VerifyStatus::kDifferent:
            return "DIFFERENT";
    }
    return "?";
}

std::string NameFieldKey(std::string_view name, bool foldCase) {
    // The writer's own cut: the file line without a checksum is the field.
    const std::string field = ProtocolNameFieldKey(ProtocolFileLine(name, ""));
    return foldCase ? UpperCaseName(field) : field;
}

std::vector<VerifyRow> PlanVerification(const std::vector<ProtocolEntry>& entries,
                                        const std::vector<std::string>& fileNames, bool foldCase) {
    std::unordered_map<std::string, std::vector<std::size_t>> filesByField;
    for (std::size_t file = 0; file < fileNames.size(); ++file) {
        filesByField[NameFieldKey(fileNames[file], foldCase)].push_back(file);
    }
    std::unordered_map<std::string, std::size_t> linesPerField;
    std::vector<std::string> entryFields;
    entryFields.reserve(entries.size());
    for (const ProtocolEntry& entry : entries) {
        const std::string field = ProtocolNameFieldKey(entry.nameField);
        entryFields.push_back(foldCase ? UpperCaseName(field) : field);
        ++linesPerField[entryFields.back()];
    }

    std::vector<VerifyRow> rows;
    rows.reserve(entries.size() + fileNames.size());
    for (std::size_t entry = 0; entry < entries.size(); ++entry) {
        VerifyRow row;
        row.entry = entry;
        const auto fits = filesByField.find(entryFields[entry]);
        const std::size_t lines = linesPerField[entryFields[entry]];
        if (fits == filesByField.end()) {
            row.kind = VerifyRow::Kind::kMissing;
        } else if (fits->second.size() == 1 && lines == 1) {
            row.kind = VerifyRow::Kind::kListed;
            row.file = fits->second.front();
        } else {
            row.kind = VerifyRow::Kind::kAmbiguous;
            row.candidates = fits->second;
            row.sameFieldLines = lines;
        }
        rows.push_back(std::move(row));
    }
    for (std::size_t file = 0; file < fileNames.size(); ++file) {
        if (linesPerField.count(NameFieldKey(fileNames[file], foldCase)) != 0) continue;
        VerifyRow row;
        row.kind = VerifyRow::Kind::kUnlisted;
        row.file = file;
        rows.push_back(std::move(row));
    }
    return rows;
}

VerifyStatus JudgeRow(const VerifyRow& row, const ProtocolEntry* entry,
                      const FileChecksum& checksum) {
    switch (row.kind) {
        case VerifyRow::Kind::kMissing:
            return VerifyStatus::kMissing;
        case VerifyRow::Kind::kAmbiguous:
            return VerifyStatus::kAmbiguous;
        case VerifyRow::Kind::kListed:
        case VerifyRow::Kind::kUnlisted:
            break;
    }
    if (checksum.status != FileReadStatus::kOk) return VerifyStatus::kUnreadable;
    if (row.kind == VerifyRow::Kind::kUnlisted) {
        return checksum.size == 0 ? VerifyStatus::kEmpty : VerifyStatus::kNew;
    }
    return entry != nullptr && Crc32Text(checksum.crc) == entry->crcText ? VerifyStatus::kOk
                                                                         : VerifyStatus::kChanged;
}

std::string VerifyTally::SummaryLine() const {
    return SummaryLine(kProtocolSummary);
}

std::string VerifyTally::SummaryOf(const VerifyStatus* shown, std::size_t count) const {
    std::string line;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) line += ", ";
        line += std::to_string(Count(shown[i])) + " " + VerifyStatusName(shown[i]);
    }
    if (readThroughCache_ > 0) {
        line += ", " + std::to_string(readThroughCache_) +
                " read through the cache (the file system refused uncached reads)";
    }
    return line;
}

int VerifyTally::ExitCode() const {
    if (Count(VerifyStatus::kUnreadable) > 0) return kExitError;
    const bool differs = Count(VerifyStatus::kChanged) > 0 || Count(VerifyStatus::kMissing) > 0 ||
                         Count(VerifyStatus::kNew) > 0 || Count(VerifyStatus::kAmbiguous) > 0 ||
                         Count(VerifyStatus::kDuplicate) > 0 || Count(VerifyStatus::kDifferent) > 0;
    return differs ? kExitDifferences : kExitOk;
}

std::string VerifyLine(VerifyStatus status, std::string_view name, std::string_view detail) {
    std::string line = VerifyStatusName(status);
    line.resize(12, ' ');
    line.append(name);
    if (!detail.empty()) {
        line += "  ";
        line.append(detail);
    }
    return line;
}

}  // namespace sumbrook
