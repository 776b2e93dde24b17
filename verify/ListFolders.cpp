#include "verify/ListFolders.h"

#include <unordered_map>
#include <unordered_set>

#include "files/FolderEntriesAhead.h"
#include "files/FolderReach.h"
#include "files/PathSeparators.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"

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
    std::size_t plainFiles = 0;  // found in the folders of the plan
    for (const std::string& folder : plan.folders) {
        if (cancelled()) return result;
        if (feeder.Listed(folder)) continue;
        const std::string path = PathInFolder(top, folder);
        const std::string* same = feeder.ListedUpToCase(folder);
        if (same != nullptr && SameFile(path, PathInFolder(top, *same))) {
            matcher.FolderSameAs(folder, *same);
            continue;
        }
        switch (reacher.Reach(folder)) {
            case FolderReach::kThere: {
                const auto visit = [&](const FolderEntry& entry) {
                    if (entry.plainFile) ++plainFiles;
                    feeder.Entry(folder, path, entry);
                };
                FolderEntriesAhead* ahead = control != nullptr ? control->ahead : nullptr;
                const std::string error = ahead != nullptr && ahead->Folder() == path
                                              ? ahead->ForEach(visit)
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
