#include "verify/SfvCheck.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "files/FileEntryCrc32.h"
#include "files/Utf8NameFold.h"
#include "lists/ListedPath.h"

namespace sumbrook {

namespace {

std::string PathKey(const std::string& path, bool foldCase) {
    return foldCase ? FoldedUtf8Name(path) : path;
}

}  // namespace

SfvPlan PlanSfvVerification(const std::vector<SfvEntry>& entries, bool foldCase) {
    SfvPlan plan;
    std::unordered_map<std::string, std::size_t> rowByKey;
    rowByKey.reserve(entries.size());
    plan.rows.reserve(entries.size());
    std::unordered_set<std::string> folders;
    for (std::size_t index = 0; index < entries.size(); ++index) {
        const ListedPath resolved = ResolveListedPath(entries[index].name);
        if (!resolved.ok && resolved.cannotBeHeld) {
            SfvRow row;
            row.kind = SfvRow::Kind::kNotHeld;
            row.path = entries[index].name;
            row.entries.push_back(index);
            row.reason = resolved.error;
            plan.rows.push_back(std::move(row));
            continue;
        }
        if (!resolved.ok) {
            plan.line = entries[index].line;
            plan.error = resolved.error;
            plan.rows.clear();
            plan.folders.clear();
            return plan;
        }
        std::string path = JoinListedPath(resolved.components, '/');
        const auto [found, added] = rowByKey.emplace(PathKey(path, foldCase), plan.rows.size());
        if (!added) {
            SfvRow& row = plan.rows[found->second];
            row.kind = SfvRow::Kind::kDuplicate;
            row.entries.push_back(index);
            continue;
        }
        const std::size_t folderEnd = path.rfind('/');
        folders.insert(folderEnd == std::string::npos ? std::string() : path.substr(0, folderEnd));
        SfvRow row;
        row.path = std::move(path);
        row.entries.push_back(index);
        plan.rows.push_back(std::move(row));
    }
    plan.folders.assign(folders.begin(), folders.end());
    std::sort(plan.folders.begin(), plan.folders.end());
    plan.ok = true;
    return plan;
}

void AddUnlistedFiles(SfvPlan& plan, const std::vector<PlainFile>& files, bool foldCase) {
    std::unordered_set<std::string> named;
    named.reserve(plan.rows.size());
    for (const SfvRow& row : plan.rows) {
        if (row.kind == SfvRow::Kind::kListed || row.kind == SfvRow::Kind::kDuplicate)
            named.insert(PathKey(row.path, foldCase));
    }
    for (std::size_t file = 0; file < files.size(); ++file) {
        if (named.count(PathKey(files[file].name, foldCase)) != 0) continue;
        SfvRow row;
        row.kind = SfvRow::Kind::kUnlisted;
        row.path = files[file].name;
        row.file = file;
        plan.rows.push_back(std::move(row));
    }
}

VerifyStatus JudgeListedFile(const SfvEntry& entry, const FileChecksum& checksum) {
    if (checksum.status == FileReadStatus::kOk) {
        return checksum.crc == entry.crc ? VerifyStatus::kOk : VerifyStatus::kChanged;
    }
    return NameNotFound(checksum) ? VerifyStatus::kMissing : VerifyStatus::kUnreadable;
}

}  // namespace sumbrook
