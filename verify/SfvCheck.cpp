#include "verify/SfvCheck.h"

#include <algorithm>
#include <string_view>
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

// The rows planned so far by their keys: open addressing over each key's
// hash, one small slot a row (a map of strings would cost a node, a copy of
// the key and a miss in memory per row).
class RowIndex {
  public:
    explicit RowIndex(std::size_t rows) {
        std::size_t size = 16;
        while (size < rows * 2) size *= 2;
        slots_.resize(size);
    }

    // The row already planned whose key `sameKey` says is `key`'s, or else
    // kNone, `row` now holding that key.
    template <typename SameKey>
    std::size_t FindOrAdd(const std::string& key, std::size_t row, const SameKey& sameKey) {
        const std::size_t hash = std::hash<std::string_view>()(key);
        for (std::size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[at];
            if (slot.rowPlusOne == 0) {
                slot.hash = hash;
                slot.rowPlusOne = row + 1;
                return SfvRow::kNone;
            }
            if (slot.hash == hash && sameKey(slot.rowPlusOne - 1)) return slot.rowPlusOne - 1;
        }
    }

  private:
    struct Slot {
        std::size_t hash = 0;
        std::size_t rowPlusOne = 0;  // 0: empty
    };
    std::vector<Slot> slots_;
};

}  // namespace

SfvPlan PlanSfvVerification(const std::vector<SfvEntry>& entries, bool foldCase) {
    SfvPlan plan;
    RowIndex rowByKey(entries.size());
    plan.rows.reserve(entries.size());
    std::unordered_set<std::string> folders;
    std::string lastFolder;
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
        const std::string folded = foldCase ? PathKey(path, foldCase) : std::string();
        const std::string& key = foldCase ? folded : path;
        const std::size_t found = rowByKey.FindOrAdd(key, plan.rows.size(), [&](std::size_t row) {
            return foldCase ? PathKey(plan.rows[row].path, foldCase) == key
                            : plan.rows[row].path == key;
        });
        if (found != SfvRow::kNone) {
            SfvRow& row = plan.rows[found];
            row.kind = SfvRow::Kind::kDuplicate;
            row.entries.push_back(index);
            continue;
        }
        const std::size_t folderEnd = path.rfind('/');
        const std::string_view folder(path.data(), folderEnd == std::string::npos ? 0 : folderEnd);
        // Lines of one folder mostly follow each other.
        if (folders.empty() || folder != lastFolder) {
            lastFolder = *folders.emplace(folder).first;
        }
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
    if (files.empty()) return;
    // The files not named yet, by key; each row takes its file out.
    std::unordered_map<std::string, std::size_t> unnamed;
    unnamed.reserve(files.size());
    for (std::size_t file = 0; file < files.size(); ++file) {
        unnamed.emplace(PathKey(files[file].name, foldCase), file);
    }
    for (const SfvRow& row : plan.rows) {
        if (row.kind == SfvRow::Kind::kListed || row.kind == SfvRow::Kind::kDuplicate)
            foldCase ? unnamed.erase(FoldedUtf8Name(row.path)) : unnamed.erase(row.path);
    }
    for (std::size_t file = 0; file < files.size(); ++file) {
        const auto found = unnamed.find(PathKey(files[file].name, foldCase));
        if (found == unnamed.end() || found->second != file) continue;
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
