#include "verify/SfvCheck.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "files/FileEntryCrc32.h"
#include "files/Utf8NameFold.h"
#include "lists/ListedPath.h"

namespace sumbrook {

namespace {

// The rows planned so far by their keys: open addressing over each key's
// hash, one small slot a row (a map of strings would cost a node, a copy of
// the key and a miss in memory per row).
class RowIndex {
  public:
    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    // Room for `rows` rows (fewer than 2^32: a list that long cannot be
    // held in memory anyway).
    explicit RowIndex(std::size_t rows) {
        std::size_t size = 16;
        while (size < rows * 2) size *= 2;
        slots_.resize(size);
    }

    static std::size_t HashOf(std::string_view key) { return std::hash<std::string_view>()(key); }

    // Asks for the first slot of `hash` to be brought into the cache while
    // other work goes on: with a million rows the table is far larger than
    // the cache, and each row would otherwise wait for memory.
    void Prefetch(std::size_t hash) const {
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
#else
        (void)hash;
#endif
    }

    // The row already planned whose key `sameKey` says is the key of `hash`,
    // or else kNotFound, `row` now holding that key.
    template <typename SameKey>
    std::size_t FindOrAdd(std::size_t hash, std::size_t row, const SameKey& sameKey) {
        // The bits above those that choose the slot tell most keys apart.
        const auto tag = static_cast<std::uint32_t>(hash >> (sizeof(std::size_t) * 8 - 32));
        for (std::size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
            Slot& slot = slots_[at];
            if (slot.rowPlusOne == 0) {
                slot.tag = tag;
                slot.rowPlusOne = static_cast<std::uint32_t>(row + 1);
                return kNotFound;
            }
            if (slot.tag == tag && sameKey(slot.rowPlusOne - 1)) return slot.rowPlusOne - 1;
        }
    }

  private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t rowPlusOne = 0;  // 0: empty
    };
    std::vector<Slot> slots_;
};

// The rows planned between two looks at the cancel flag.
constexpr std::size_t kCancelCheckRows = 1U << 16;

// Whether `name` is `components` joined by '/'.
bool IsJoinedPath(std::string_view name, const std::vector<std::string>& components) {
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

}  // namespace

static_assert(sizeof(SfvRow) <= 16, "a planned list row grew");

SfvPlan PlanSfvVerification(std::vector<SfvEntry>& entries, NameStore& names, bool foldCase,
                            const std::atomic<bool>* cancel) {
    SfvPlan plan;
    RowIndex rowByKey(entries.size());
    plan.rows.reserve(entries.size());
    std::unordered_set<std::string> folders;
    std::string lastFolder;
    const auto pathOf = [&](std::size_t row) { return entries[plan.rows[row].entry].name; };
    // Each resolved name waits for the next to be resolved before it is
    // looked up, so that its slot has come into the cache meanwhile.
    struct Resolved {
        std::size_t index = 0;
        std::string key;  // folded, where names fold case
        std::size_t hash = 0;
    };
    std::optional<Resolved> waiting;
    const auto settle = [&] {
        if (!waiting) return;
        const Resolved& resolved = *waiting;
        const std::string_view path = entries[resolved.index].name;
        const std::string_view key = foldCase ? std::string_view(resolved.key) : path;
        const std::size_t found =
            rowByKey.FindOrAdd(resolved.hash, plan.rows.size(), [&](std::size_t row) {
                return foldCase ? NameKey(pathOf(row), foldCase) == key : pathOf(row) == key;
            });
        if (found != RowIndex::kNotFound) {
            SfvRow& row = plan.rows[found];
            if (row.kind != SfvRow::Kind::kDuplicate) {
                row.kind = SfvRow::Kind::kDuplicate;
                row.detail = static_cast<std::uint32_t>(plan.details.size());
                plan.details.emplace_back();
            }
            plan.details[row.detail].laterEntries.push_back(resolved.index);
            waiting.reset();
            return;
        }
        const std::size_t folderEnd = path.rfind('/');
        const std::string_view folder(path.data(), folderEnd == std::string::npos ? 0 : folderEnd);
        // Lines of one folder mostly follow each other.
        if (folders.empty() || folder != lastFolder) {
            lastFolder = *folders.emplace(folder).first;
        }
        SfvRow row;
        row.entry = static_cast<std::uint32_t>(resolved.index);
        plan.rows.push_back(row);
        waiting.reset();
    };
    for (std::size_t index = 0; index < entries.size(); ++index) {
        if (index % kCancelCheckRows == 0 && cancel != nullptr && cancel->load()) {
            plan.cancelled = true;
            return plan;
        }
        std::string_view& name = entries[index].name;
        const ListedPath resolved = ResolveListedPath(name);
        if (!resolved.ok && resolved.cannotBeHeld) {
            settle();
            SfvRow row;
            row.kind = SfvRow::Kind::kNotHeld;
            row.entry = static_cast<std::uint32_t>(index);
            row.detail = static_cast<std::uint32_t>(plan.details.size());
            plan.details.emplace_back().reason = resolved.error;
            plan.rows.push_back(row);
            continue;
        }
        if (!resolved.ok) {
            plan.line = entries[index].line;
            plan.error = resolved.error;
            plan.rows.clear();
            plan.details.clear();
            plan.folders.clear();
            return plan;
        }
        // Mostly the name as listed is already the path: it is kept as it is.
        if (!IsJoinedPath(name, resolved.components)) {
            name = names.Add(JoinListedPath(resolved.components, '/'));
        }
        Resolved next;
        next.index = index;
        if (foldCase) next.key = NameKey(name, foldCase);
        next.hash = RowIndex::HashOf(foldCase ? std::string_view(next.key) : name);
        rowByKey.Prefetch(next.hash);
        settle();
        waiting = std::move(next);
    }
    settle();
    plan.folders.assign(folders.begin(), folders.end());
    std::sort(plan.folders.begin(), plan.folders.end());
    plan.ok = true;
    return plan;
}

std::string_view SfvRowPath(const SfvRow& row, const std::vector<SfvEntry>& entries,
                            const std::vector<PlainFile>& files) {
    return row.kind == SfvRow::Kind::kUnlisted ? files[row.file].name : entries[row.entry].name;
}

void AddUnlistedFiles(SfvPlan& plan, const std::vector<SfvEntry>& entries,
                      const std::vector<PlainFile>& files, bool foldCase) {
    if (files.empty()) return;
    // The files not named yet, by key; each row takes its file out.
    std::unordered_map<std::string, std::size_t> unnamed;
    unnamed.reserve(files.size());
    for (std::size_t file = 0; file < files.size(); ++file) {
        unnamed.emplace(NameKey(files[file].name, foldCase), file);
    }
    for (const SfvRow& row : plan.rows) {
        if (row.kind == SfvRow::Kind::kListed || row.kind == SfvRow::Kind::kDuplicate)
            unnamed.erase(NameKey(entries[row.entry].name, foldCase));
    }
    for (std::size_t file = 0; file < files.size(); ++file) {
        const auto found = unnamed.find(NameKey(files[file].name, foldCase));
        if (found == unnamed.end() || found->second != file) continue;
        SfvRow row;
        row.kind = SfvRow::Kind::kUnlisted;
        row.file = static_cast<std::uint32_t>(file);
        plan.rows.push_back(row);
    }
}

VerifyStatus JudgeListedFile(std::uint32_t expected, const FileChecksum& checksum) {
    if (checksum.status == FileReadStatus::kOk) {
        return checksum.crc == expected ? VerifyStatus::kOk : VerifyStatus::kChanged;
    }
    return NameNotFound(checksum) ? VerifyStatus::kMissing : VerifyStatus::kUnreadable;
}

}  // namespace sumbrook
