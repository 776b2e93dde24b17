#include "verify/ProtocolCheck.h"

#include <cstdlib>
#include <unordered_map>

#include "files/NameCompare.h"
#include "lists/ProtocolFormat.h"

namespace sumbrook {

Digest ProtocolDigest(const ProtocolEntry& entry) {
    return Digest::FromCrc32(
        static_cast<std::uint32_t>(std::strtoul(entry.crcText.c_str(), nullptr, 16)));
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
    return entry != nullptr && checksum.digest == ProtocolDigest(*entry) ? VerifyStatus::kOk
                                                                         : VerifyStatus::kChanged;
}

}  // namespace sumbrook
