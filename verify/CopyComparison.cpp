#include "verify/CopyComparison.h"

#include <string_view>
#include <unordered_map>

#include "files/Utf8NameFold.h"

namespace sumbrook {

std::vector<CopyRow> PlanCopyComparison(const std::vector<PlainFile>& source,
                                        const std::vector<PlainFile>& copy, bool foldCase) {
    // The same path byte for byte first; where names fold case, what is left
    // then pairs up to case, so that two files of one name up to case (on a
    // file system that holds both) are two rows.
    std::unordered_map<std::string_view, std::size_t> copyByName;
    for (std::size_t index = 0; index < copy.size(); ++index) {
        copyByName.emplace(copy[index].name, index);
    }
    std::vector<bool> matched(copy.size(), false);
    std::vector<CopyRow> rows(source.size());
    for (std::size_t index = 0; index < source.size(); ++index) {
        rows[index].source = index;
        const auto found = copyByName.find(source[index].name);
        if (found == copyByName.end()) continue;
        rows[index].copy = found->second;
        matched[found->second] = true;
    }
    std::unordered_multimap<std::string, std::size_t> copyByKey;
    for (std::size_t index = 0; foldCase && index < copy.size(); ++index) {
        if (!matched[index]) copyByKey.emplace(NameKey(copy[index].name, true), index);
    }
    for (CopyRow& row : rows) {
        if (row.copy != CopyRow::kNone) continue;
        row.kind = CopyRow::Kind::kSourceOnly;
        const auto [from, to] = copyByKey.equal_range(NameKey(source[row.source].name, true));
        for (auto at = from; at != to; ++at) {
            if (matched[at->second]) continue;
            row.kind = CopyRow::Kind::kBoth;
            row.copy = at->second;
            matched[at->second] = true;
            break;
        }
    }
    rows.reserve(source.size() + copy.size());
    for (std::size_t index = 0; index < copy.size(); ++index) {
        if (matched[index]) continue;
        CopyRow row;
        row.kind = CopyRow::Kind::kCopyOnly;
        row.copy = index;
        rows.push_back(row);
    }
    return rows;
}

VerifyStatus JudgeCopy(const FileChecksum& source, const FileChecksum& copy) {
    if (source.status != FileReadStatus::kOk || copy.status != FileReadStatus::kOk) {
        return VerifyStatus::kUnreadable;
    }
    return source.crc == copy.crc && source.size == copy.size ? VerifyStatus::kOk
                                                              : VerifyStatus::kDifferent;
}

}  // namespace sumbrook
