#include "verify/ListFolders.h"

#include <algorithm>
#include <atomic>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "files/FolderEntriesAhead.h"
#include "files/FolderReach.h"
#include "files/PathSeparators.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"
#include "verify/ListedSizes.h"

namespace sumbrook {

namespace {

// Hands the entries of each folder listed to the matcher, and notes what
// became of each folder.
class FolderFeeder : public FolderTreeVisitor {
  public:
    FolderFeeder(ListFileMatcher& matcher, ListFolders& result, const std::string& listPath,
                 const std::string& signaturePath, bool foldCase, bool sizes)
        : matcher_(matcher),
          result_(result),
          listPath_(listPath),
          signaturePath_(signaturePath),
          foldCase_(foldCase),
          sizes_(sizes) {}

    void Entry(const std::string& folder, const std::string& folderPath,
               const FolderEntry& entry) override {
        const std::uint32_t row = matcher_.Match(folder, entry.name);
        if (row != ListRow::kNone) {
            if (sizes_ && entry.sized) {
                if (row >= result_.rowSizes.size()) {
                    result_.rowSizes.resize(row + std::size_t{1}, ListFolders::kUnknownSize);
                }
                result_.rowSizes[row] = entry.size;
            }
            return;
        }
        if (entry.plainFile &&
            (IsFile(folderPath, entry, listPath_) ||
             (!signaturePath_.empty() && IsFile(folderPath, entry, signaturePath_)))) {
            return;
        }
        matcher_.Unmatched(folder, entry);
    }

    void FolderDone(const std::string& folder, const std::string& folderPath, bool listed,
                    const std::string& error) override {
        if (listed) {
            matcher_.FolderListed(folder);
            listed_.insert(folder);
            if (foldCase_) listedByKey_.emplace(NameKey(folder, true), folder);
        } else if (folder.empty()) {
            result_.error = error;
        } else {
            result_.faults.push_back({folderPath, error});
        }
    }

    // The folder listed already as `folder`, or as another name of it up to
    // case; empty when none.
    bool Listed(const std::string& folder) const { return listed_.count(folder) != 0; }
    const std::string* ListedUpToCase(const std::string& folder) const {
        if (!foldCase_) return nullptr;
        const auto found = listedByKey_.find(NameKey(folder, true));
        return found == listedByKey_.end() ? nullptr : &found->second;
    }

  private:
    static bool IsFile(const std::string& folderPath, const FolderEntry& entry,
                       const std::string& path) {
        return SameLastName(entry.name, path) &&
               SameFile(FolderPrefix(folderPath) + std::string(entry.name), path);
    }

    ListFileMatcher& matcher_;
    ListFolders& result_;
    const std::string& listPath_;
    const std::string& signaturePath_;
    bool foldCase_;
    bool sizes_;
    std::unordered_set<std::string> listed_;
    std::unordered_map<std::string, std::string> listedByKey_;
};

// A folder of the plan reached, and listed, by one of a batch's threads
// before its turn. A folder of one file costs six calls into the system (a
// look, an open, a look at what was opened, two reads, a close), some
// 15 us, and listing 3,000 such folders took a run of their files about as
// long as reading them. But the entries a batch holds are memory its
// threads touch first, at 10 us a page on AMD EPYC family 26 (where these
// figures were taken): two threads listed 1,000 folders of 10 files in
// 12-15 ms against 16-21 ms for one, but 100 folders of 100 files in 6-10 ms
// against 4-6. So batches are listed only while the folders listed so far
// hold few entries (at most kBatchedEntriesPerFolder a folder, after
// kFoldersBeforeBatches listed one by one). A batch holds at most
// kHeldEntries entries, and kHeldOfAFolder of one folder: a folder that
// would go past them is listed again in its turn. Bound by the batch's
// 16,384 alone, a folder of 70,000 files among 600 folders of one file held
// its batch up for 10 ms, and the listing took 43-60 ms against 33-39 ms
// with one job; bound by its own, 32-34 ms.
struct BatchedFolder {
    bool reached = false;
    FolderReach reach = FolderReach::kUnknown;
    bool listed = false;  // `entries` and `error` are its listing
    std::string error;
    std::vector<HeldFolderEntry> entries;

    std::string ForEach(const std::function<void(const FolderEntry&)>& visit) {
        for (HeldFolderEntry& held : entries) visit(held.Entry());
        std::vector<HeldFolderEntry>().swap(entries);
        return error;
    }
};

constexpr std::size_t kBatchFolders = 256;
constexpr std::size_t kFoldersBeforeBatches = 16;
constexpr std::size_t kBatchedEntriesPerFolder = 16;
// A batch's room: four times its folders' share at the most a folder may
// hold for batches to go on; a folder's, 64 times that most.
constexpr std::size_t kHeldEntries = kBatchFolders * kBatchedEntriesPerFolder * 4;
constexpr std::size_t kHeldOfAFolder = kBatchedEntriesPerFolder * 64;

// Thrown by a batch's visitor where the batch or the folder holds as many
// entries as it may.
struct BatchFull {};

// Reaches and lists folders[first, first + batch.size()) on up to
// `threads` threads, leaving those `skip` names for their turn.
void ListBatch(const std::vector<std::string>& folders, std::size_t first,
               std::vector<BatchedFolder>& batch, const std::string& top, FolderReacher& reacher,
               unsigned threads, const ListingControl& control,
               const std::function<bool(const std::string&)>& skip) {
    std::atomic<std::size_t> held{0};
    OnThreads(batch.size(), threads, [&](std::size_t at) {
        const std::string& folder = folders[first + at];
        if (control.Cancelled() || skip(folder)) return;
        BatchedFolder& slot = batch[at];
        try {
            slot.reach = reacher.Reach(folder);
            slot.reached = true;
            if (slot.reach != FolderReach::kThere) return;
            slot.error =
                ForEachFolderEntry(PathInFolder(top, folder), [&](const FolderEntry& entry) {
                    if (slot.entries.size() >= kHeldOfAFolder ||
                        held.fetch_add(1, std::memory_order_relaxed) >= kHeldEntries) {
                        throw BatchFull();
                    }
                    slot.entries.emplace_back(entry);
                });
            slot.listed = true;
        } catch (...) {
            // Out of room or memory: the folder is listed in its turn.
            std::vector<HeldFolderEntry>().swap(slot.entries);
        }
    });
}

}  // namespace

std::string FolderOf(const std::string& path) {
    const std::size_t separator = LastPathSeparator(path);
    if (separator == std::string::npos) return ".";
    std::string folder = path.substr(0, separator);
    if (folder.empty() || folder.back() == ':' || path[separator] == ':') {
        return path.substr(0, separator + 1);
    }
    return folder;
}

ListFolders ListFoldersOfPlan(ListPlan& plan, const std::vector<ListEntry>& entries,
                              const std::string& top, const std::string& listPath, bool recursive,
                              bool foldCase, bool sizes, const ListingControl* control,
                              const std::string& signaturePath) {
    ListFolders result;
    if (sizes) result.rowSizes.assign(plan.rows.size(), ListFolders::kUnknownSize);
    ListFileMatcher matcher(plan, entries, foldCase);
    FolderFeeder feeder(matcher, result, listPath, signaturePath, foldCase, sizes);
    const auto cancelled = [&] {
        result.cancelled = control != nullptr && control->Cancelled();
        return result.cancelled;
    };
    if (recursive) {
        if (!WalkFolderTree(top, true, feeder, control) || cancelled()) return result;
    } else {
        // The folder checked is listed only where it holds a listed file.
        result.error = WhyNotAFolder(top);
        if (!result.error.empty()) return result;
    }
    FolderReacher reacher(top);
    FolderEntriesAhead* const listedAhead = control != nullptr ? control->ahead : nullptr;
    const unsigned threads = control != nullptr ? control->threads : 1;
    // Folders the walk listed, and the one listed since the list was read,
    // are not listed in a batch.
    const auto notForBatch = [&](const std::string& folder) {
        return feeder.Listed(folder) ||
               (listedAhead != nullptr && listedAhead->Folder() == PathInFolder(top, folder));
    };
    std::vector<BatchedFolder> batch;  // plan.folders[batchFirst, batchFirst + batch.size())
    std::size_t batchFirst = 0;
    std::size_t foldersListed = 0;
    std::size_t entriesListed = 0;
    std::size_t plainFiles = 0;  // found in the folders of the plan
    for (std::size_t index = 0; index < plan.folders.size(); ++index) {
        const std::string& folder = plan.folders[index];
        if (cancelled()) return result;
        if (threads > 1 && index >= batchFirst + batch.size() &&
            foldersListed >= kFoldersBeforeBatches &&
            entriesListed <= foldersListed * kBatchedEntriesPerFolder) {
            batchFirst = index;
            batch.assign(std::min(kBatchFolders, plan.folders.size() - index), BatchedFolder());
            ListBatch(plan.folders, index, batch, top, reacher, threads, *control, notForBatch);
            if (cancelled()) return result;
        }
        BatchedFolder* const batched =
            index < batchFirst + batch.size() ? &batch[index - batchFirst] : nullptr;
        if (feeder.Listed(folder)) continue;
        const std::string path = PathInFolder(top, folder);
        const std::string* same = feeder.ListedUpToCase(folder);
        if (same != nullptr && SameFile(path, PathInFolder(top, *same))) {
            matcher.FolderSameAs(folder, *same);
            continue;
        }
        switch (batched != nullptr && batched->reached ? batched->reach : reacher.Reach(folder)) {
            case FolderReach::kThere: {
                ++foldersListed;
                const auto visit = [&](const FolderEntry& entry) {
                    ++entriesListed;
                    if (entry.plainFile) ++plainFiles;
                    feeder.Entry(folder, path, entry);
                };
                const std::string error = batched != nullptr && batched->listed
                                              ? batched->ForEach(visit)
                                          : listedAhead != nullptr && listedAhead->Folder() == path
                                              ? listedAhead->ForEach(visit)
                                              : ForEachFolderEntry(path, visit);
                if (control != nullptr && control->found) control->found(plainFiles);
                feeder.FolderDone(folder, path, error.empty(), error);
                if (folder.empty() && !error.empty()) return result;
                break;
            }
            case FolderReach::kNotThere:
                matcher.FolderNotThere(folder);
                break;
            case FolderReach::kThroughLink:
            case FolderReach::kUnknown:
                break;
        }
    }
    matcher.Finish();
    result.ok = true;
    return result;
}

}  // namespace sumbrook
