#include "verify/CopyComparison.h"

#include <unordered_map>

#include "files/Utf8NameFold.h"

namespace sumbrook {

std::vector<CopyRow> PlanCopyComparison(const std::vector<PlainFile>& source,
                                        const std::vector<PlainFile>& copy, bool foldCase) {
    const auto key = [foldCase](const std::string& name) { return NameKey(name, foldCase); };
    std::unordered_map<std::string, std::size_t> copyByName;
    for (std::size_t index = 0; index < copy.size(); ++index) {
        copyByName.emplace(key(copy[index].name), index);
    }
    std::vector<bool> matched(copy.size(), false);
    std::vector<CopyRow> rows;
    rows.reserve(source.size() + copy.size());
    for (std::size_t index = 0; index < source.size(); ++index) {
        CopyRow row;
        row.source = index;
        const auto found = copyByName.find(key(source[index].name));
        if (found == copyByName.end() || matched[found->second]) {
            row.kind = CopyRow::Kind::kSourceOnly;
        } else {
            row.copy = found->second;
            matched[found->second] = true;
        }
        rows.push_back(row);
    }
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
    return source.digest == copy.digest && source.size == copy.size ? VerifyStatus::kOk
                                                                    : VerifyStatus::kDifferent;
}

}  // namespace sumbrook
