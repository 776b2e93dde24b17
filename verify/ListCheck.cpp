#include "verify/ListCheck.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "files/ReadFileChecksum.h"
#include "files/Utf8NameFold.h"
#include "lists/ListedPath.h"

namespace sumbrook {

namespace {

// The entries planned between two looks at the cancel flag.
constexpr std::size_t kCancelCheckRows = 1U << 16;

// Whether `name` is `components` joined by '/'.
bool IsJoinedPath(std::string_view name, const std::vector<std::string_view>& components) {
    for (std::size_t at = 0; at < components.size(); ++at) {
        if (at > 0) {
            if (name.empty() || name.front() != '/') return false;
            name.remove_prefix(1);
        }
        if (name.substr(0, components[at].size()) != components[at]) return false;
        name.remove_prefix(components[at].size());
    }
    return name.empty();
}

std::string_view FolderOfPath(std::string_view path) {
    const std::size_t end = path.rfind('/');
    return end == std::string_view::npos ? std::string_view() : path.substr(0, end);
}

// A key folded as names fold where they fold case, and its hash, so that
// what may be one name up to case is found by hash first.
struct FoldedKey {
    std::size_t hash = 0;
    std::uint32_t index = 0;
    bool operator<(const FoldedKey& other) const { return hash < other.hash; }
};

std::size_t FoldedHash(std::string_view name) {
    return RowIndex::HashOf(FoldedUtf8Name(name));
}

ListRowDetail& DetailOf(ListRow& row, std::vector<ListRowDetail>& details) {
    if (row.detail == ListRow::kNone) {
        row.detail = static_cast<std::uint32_t>(details.size());
        details.emplace_back();
    }
    return details[row.detail];
}

// Makes `row` DUPLICATE: its lines of other kinds are then duplicates too.
ListRowDetail& MakeDuplicate(ListRow& row, std::vector<ListRowDetail>& details) {
    ListRowDetail& detail = DetailOf(row, details);
    if (row.kind != ListRow::Kind::kDuplicate) {
        row.kind = ListRow::Kind::kDuplicate;
        detail.laterEntries.insert(detail.laterEntries.end(), detail.otherKinds.begin(),
                                   detail.otherKinds.end());
        std::sort(detail.laterEntries.begin(), detail.laterEntries.end());
        detail.otherKinds.clear();
    }
    return detail;
}

// Whether a line of `kind` for the file of `row` is of another kind than
// every line of it so far.
bool OfAnotherKind(const std::vector<ListEntry>& entries, const ListRow& row,
                   const std::vector<ListRowDetail>& details, DigestKind kind) {
    if (entries[row.entry].kind == kind) return false;
    if (row.detail == ListRow::kNone) return true;
    const std::vector<std::size_t>& others = details[row.detail].otherKinds;
    return std::none_of(others.begin(), others.end(),
                        [&](std::size_t entry) { return entries[entry].kind == kind; });
}

}  // namespace

static_assert(sizeof(ListRow) <= 16, "a planned list row grew");

ListPlan PlanListVerification(std::vector<ListEntry>& entries, NameStore& names,
                              ControlBytes control, const BackslashInName& backslashInName,
                              const std::atomic<bool>* cancel) {
    ListPlan plan;
    plan.byPath = RowIndex(entries.size());
    plan.rows.reserve(entries.size());
    std::unordered_set<std::string> folders;
    std::string lastFolder;
    const auto pathOf = [&](std::size_t row) { return entries[plan.rows[row].entry].name; };
    // Each resolved name waits for the next to be resolved before it is
    // looked up, so that its slot has come into the cache meanwhile.
    std::optional<std::pair<std::size_t, std::size_t>> waiting;  // entry, hash
    const auto settle = [&] {
        if (!waiting) return;
        const auto [index, hash] = *waiting;
        waiting.reset();
        const std::string_view path = entries[index].name;
        const std::size_t found = plan.byPath.FindOrAdd(
            hash, plan.rows.size(), [&](std::size_t row) { return pathOf(row) == path; });
        if (found != RowIndex::kNotFound) {
            ListRow& row = plan.rows[found];
            if (row.kind != ListRow::Kind::kDuplicate &&
                OfAnotherKind(entries, row, plan.details, entries[index].kind)) {
                DetailOf(row, plan.details).otherKinds.push_back(index);
                return;
            }
            MakeDuplicate(row, plan.details).laterEntries.push_back(index);
            return;
        }
        const std::string_view folder = FolderOfPath(path);
        // Lines of one folder mostly follow each other.
        if (folders.empty() || folder != lastFolder) {
            lastFolder = *folders.emplace(folder).first;
        }
        ListRow row;
        row.entry = static_cast<std::uint32_t>(index);
        plan.rows.push_back(row);
    };
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (index % kCancelCheckRows == 0 && cancel != nullptr && cancel->load()) {
            plan.cancelled = true;
            return plan;
        }
        std::string_view& name = entries[index].name;
        const bool literalBackslash = kThisPathSystem == PathSystem::kPosix && backslashInName &&
                                      name.find('\\') != std::string_view::npos &&
                                      backslashInName(name);
        const ListedPath resolved =
            ResolveListedPath(name, kThisPathSystem, control, !literalBackslash);
        if (!resolved.ok && resolved.cannotBeHeld) {
            settle();
            ListRow row;
            row.kind = ListRow::Kind::kNotHeld;
            row.entry = static_cast<std::uint32_t>(index);
            row.detail = static_cast<std::uint32_t>(plan.details.size());
            plan.details.emplace_back().reason = resolved.error;
            plan.rows.push_back(row);
            continue;
        }
        if (!resolved.ok) {
            ListPlan refused;
            refused.line = entries[index].line;
            refused.error = resolved.error;
            return refused;
        }
        // Mostly the name as listed is already the path: it is kept as it is.
        if (!IsJoinedPath(name, resolved.components)) {
            name = names.Add(JoinListedPath(resolved.components, '/'));
        }
        const std::size_t hash = RowIndex::HashOf(name);
        plan.byPath.Prefetch(hash);
        settle();
        waiting.emplace(index, hash);
    }
    settle();
    plan.folders.assign(folders.begin(), folders.end());
    std::sort(plan.folders.begin(), plan.folders.end());
    plan.ok = true;
    return plan;
}

std::string_view ListRowPath(const ListRow& row, const std::vector<ListEntry>& entries,
                             const ListPlan& plan) {
    return row.kind == ListRow::Kind::kUnlisted ? plan.found[row.file].name
                                                : entries[row.entry].name;
}

ListFileMatcher::ListFileMatcher(ListPlan& plan, const std::vector<ListEntry>& entries,
                                 bool foldCase)
    : plan_(plan), entries_(entries), foldCase_(foldCase) {}

ListFileMatcher::FolderState* ListFileMatcher::StateOf(std::string_view folder) {
    path_.assign(folder);
    if (!aliases_.empty()) {
        const auto alias = aliases_.find(path_);
        if (alias != aliases_.end()) path_ = alias->second;
    }
    const auto found = folders_.find(path_);
    return found == folders_.end() ? nullptr : &found->second;
}

std::uint32_t ListFileMatcher::Match(const std::string& folder, std::string_view name) {
    path_ = folder;
    if (!path_.empty()) path_ += '/';
    path_ += name;
    const std::size_t row = plan_.byPath.Find(RowIndex::HashOf(path_), [&](std::size_t candidate) {
        return entries_[plan_.rows[candidate].entry].name == path_;
    });
    if (row == RowIndex::kNotFound) return ListRow::kNone;
    plan_.rows[row].found = true;
    folders_[folder].foundRows = true;
    return static_cast<std::uint32_t>(row);
}

void ListFileMatcher::Unmatched(const std::string& folder, const FolderEntry& entry) {
    folders_[folder].unmatched = true;
    path_ = folder;
    if (!path_.empty()) path_ += '/';
    path_ += entry.name;
    if (!entry.plainFile) {
        otherHashes_.push_back(FoldedHash(path_));
        return;
    }
    FoundFile file;
    file.name = plan_.foundNames.Add(path_);
    file.size = entry.size;
    file.sized = entry.sized;
    plan_.found.push_back(file);
}

void ListFileMatcher::FolderListed(const std::string& folder) {
    folders_[folder].seen = FolderState::Seen::kListed;
}

void ListFileMatcher::FolderNotThere(const std::string& folder) {
    folders_[folder].seen = FolderState::Seen::kNotThere;
}

void ListFileMatcher::FolderSameAs(const std::string& folder, const std::string& listedAs) {
    aliases_[folder] = listedAs;
}

void ListFileMatcher::Join(std::size_t first, std::size_t other) {
    // A row joined to another stands for the row it was joined to.
    while (plan_.rows[first].kind == ListRow::Kind::kJoined) first = plan_.rows[first].file;
    while (plan_.rows[other].kind == ListRow::Kind::kJoined) other = plan_.rows[other].file;
    if (first == other) return;
    if (other < first) std::swap(first, other);
    ListRow& kept = plan_.rows[first];
    ListRow& joined = plan_.rows[other];
    MakeDuplicate(kept, plan_.details);
    std::vector<std::size_t>& later = plan_.details[kept.detail].laterEntries;
    later.push_back(joined.entry);
    if (joined.detail != ListRow::kNone) {
        const ListRowDetail& more = plan_.details[joined.detail];
        later.insert(later.end(), more.laterEntries.begin(), more.laterEntries.end());
        later.insert(later.end(), more.otherKinds.begin(), more.otherKinds.end());
    }
    std::sort(later.begin(), later.end());
    joined.kind = ListRow::Kind::kJoined;
    joined.file = static_cast<std::uint32_t>(first);
}

void ListFileMatcher::Finish() {
    plan_.byPath = RowIndex();
    // The rows not found in folders that were listed (or are not there):
    // missing, unless something there may be theirs up to case.
    std::vector<std::uint32_t> unsure;
    for (std::size_t index = 0; index < plan_.rows.size(); ++index) {
        ListRow& row = plan_.rows[index];
        if (row.kind != ListRow::Kind::kListed || row.found) continue;
        // A row of a folder not listed (not reached, or through a link) is
        // read at its path.
        FolderState* state = StateOf(FolderOfPath(entries_[row.entry].name));
        if (state == nullptr || state->seen == FolderState::Seen::kNot) continue;
        if (state->seen == FolderState::Seen::kListed &&
            (state->unmatched || (foldCase_ && state->foundRows))) {
            state->unsure = true;
            unsure.push_back(static_cast<std::uint32_t>(index));
        } else {
            row.kind = ListRow::Kind::kMissing;
        }
    }
    if (!unsure.empty()) {
        // What may be theirs, by folded hash: the files no row names, other
        // entries, and (where names fold) the rows found beside them.
        std::vector<FoldedKey> files;
        for (std::size_t index = 0; index < plan_.found.size(); ++index) {
            files.push_back(
                {FoldedHash(plan_.found[index].name), static_cast<std::uint32_t>(index)});
        }
        std::sort(files.begin(), files.end());
        std::sort(otherHashes_.begin(), otherHashes_.end());
        std::vector<FoldedKey> foundRows;
        for (std::size_t index = 0; foldCase_ && index < plan_.rows.size(); ++index) {
            const ListRow& row = plan_.rows[index];
            if (!row.found) continue;
            const std::string_view path = entries_[row.entry].name;
            const FolderState* state = StateOf(FolderOfPath(path));
            if (state != nullptr && state->unsure) {
                foundRows.push_back({FoldedHash(path), static_cast<std::uint32_t>(index)});
            }
        }
        std::sort(foundRows.begin(), foundRows.end());
        for (const std::uint32_t index : unsure) {
            ListRow& row = plan_.rows[index];
            const std::string_view path = entries_[row.entry].name;
            const std::string key = FoldedUtf8Name(path);
            const std::size_t hash = RowIndex::HashOf(key);
            const auto same = [&](std::string_view other) { return FoldedUtf8Name(other) == key; };
            bool settled = false;
            const auto [filesFrom, filesTo] =
                std::equal_range(files.begin(), files.end(), FoldedKey{hash, 0});
            for (auto at = filesFrom; at != filesTo && !settled; ++at) {
                FoundFile& file = plan_.found[at->index];
                if (!same(file.name)) continue;
                settled = true;
                // Where names do not fold, the system decides when it opens
                // the path (a folder that folds case).
                if (!foldCase_) break;
                if (file.row == ListRow::kNone) {
                    file.row = index;
                    row.file = at->index;
                } else {
                    Join(file.row, index);
                }
            }
            if (settled) continue;
            const auto [rowsFrom, rowsTo] =
                std::equal_range(foundRows.begin(), foundRows.end(), FoldedKey{hash, 0});
            for (auto at = rowsFrom; at != rowsTo && !settled; ++at) {
                if (!same(entries_[plan_.rows[at->index].entry].name)) continue;
                settled = true;
                Join(at->index, index);
            }
            if (settled || std::binary_search(otherHashes_.begin(), otherHashes_.end(), hash)) {
                continue;
            }
            row.kind = ListRow::Kind::kMissing;
        }
    }
    // The files no row took, by path.
    std::vector<std::uint32_t> unlisted;
    for (std::size_t index = 0; index < plan_.found.size(); ++index) {
        if (plan_.found[index].row == ListRow::kNone) {
            unlisted.push_back(static_cast<std::uint32_t>(index));
        }
    }
    std::sort(unlisted.begin(), unlisted.end(), [&](std::uint32_t a, std::uint32_t b) {
        return plan_.found[a].name < plan_.found[b].name;
    });
    for (const std::uint32_t file : unlisted) {
        ListRow row;
        row.kind = ListRow::Kind::kUnlisted;
        row.file = file;
        plan_.rows.push_back(row);
    }
}

VerifyStatus JudgeListedFile(const Digest& expected, const FileChecksum& checksum) {
    if (checksum.status == FileReadStatus::kOk) {
        return checksum.digest == expected ? VerifyStatus::kOk : VerifyStatus::kChanged;
    }
    return NameNotFound(checksum) ? VerifyStatus::kMissing : VerifyStatus::kUnreadable;
}

}  // namespace sumbrook
