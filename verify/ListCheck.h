// Checking a folder against a list of lines (SFV, sum or tag lines): the file
// each line names, the lines that name one and the same file, and the files
// that no line names.
//
// A name is taken relative to the folder, '/' and '\' both separating
// folders (ResolveListedPath; on POSIX a '\' may be part of a name, where
// the caller finds so); two lines whose resolved paths are equal name one
// file: it is DUPLICATE, never checked against one of its lines by
// guessing, unless their digests are of different kinds: then each line is
// checked (ListRowDetail::otherKinds). The folders that hold listed files are listed, and each line
// is matched with what they hold: a name the folder holds byte for byte is
// that file; where names fold case (Windows), a name left over is matched
// up to case with a file no line names exactly, so that two files whose
// names differ only in case (on a file system that holds both) are two
// rows, and two lines that reach one file only up to case are DUPLICATE.
// A listed file its folder does not hold is MISSING without being opened.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "files/FileChecksum.h"
#include "files/FolderEntries.h"
#include "lists/ListReader.h"
#include "lists/ListedPath.h"
#include "lists/NameStore.h"
#include "verify/CheckRow.h"
#include "verify/RowIndex.h"

namespace sumbrook {

// A row names its file by index, so that a plan of a million rows stays
// small: its path is the name of its entry (all kinds but kUnlisted) or of
// a file found (kUnlisted); ListRowPath gives it.
struct ListRow {
    // kListed: read at its path, or (`file` set) at the path of the file
    //   found that it names up to case.
    // kMissing: its folder was listed without it, or is not there.
    // kNotHeld: a name this system cannot hold (ListedPath::cannotBeHeld),
    //   never opened; its entry's name is the name as listed, its detail's
    //   `reason` says why.
    // kJoined: its lines name the file of an earlier kDuplicate row (up to
    //   case), which holds them and whose index is its `file`; no row of its
    //   own.
    enum class Kind : unsigned char { kListed, kDuplicate, kUnlisted, kNotHeld, kMissing, kJoined };
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    std::uint32_t entry = kNone;   // the first entry naming it
    std::uint32_t file = kNone;    // kUnlisted, and kListed up to case: in ListPlan::found
    std::uint32_t detail = kNone;  // kDuplicate and kNotHeld: in ListPlan::details
    Kind kind = Kind::kListed;
    bool found = false;  // its folder holds its path byte for byte
};

// What only the few kDuplicate and kNotHeld rows have, and the rows whose
// file is named on lines of several kinds.
struct ListRowDetail {
    std::vector<std::size_t> laterEntries;  // kDuplicate: the others, in list order
    std::string reason;                     // kNotHeld
    // The later entries that name the row's file with a digest of another
    // kind than the row's entry and each other (rhash --md5 --sha256, or
    // md5sum and sha256sum lines in one list): no duplicates, each checked.
    std::vector<std::size_t> otherKinds;
};

// A file of a folder listed that no line names byte for byte.
struct FoundFile {
    std::string_view name;  // relative to the folder checked, '/' between folders
    std::uint64_t size = 0;
    bool sized = false;
    std::uint32_t row = ListRow::kNone;  // the row that names it up to case
};

struct ListPlan {
    bool ok = false;
    bool cancelled = false;  // not ok: the cancel flag stopped the planning
    std::size_t line = 0;    // when not ok: the line of the first name refused
    std::string error;       // and why
    // One row per path named, at the line that names it first; kUnlisted
    // rows after them, sorted by path.
    std::vector<ListRow> rows;
    std::vector<ListRowDetail> details;
    // The folders that hold a named file, relative ("" for the folder itself),
    // sorted byte by byte.
    std::vector<std::string> folders;
    // The rows by their paths, until the matching is done.
    RowIndex byPath;
    std::vector<FoundFile> found;
    NameStore foundNames;
};

// Whether the '\' of a listed name (one that holds '\') is part of a file's
// name rather than a folder separator (POSIX only: Windows names hold none).
using BackslashInName = std::function<bool(std::string_view name)>;

// Plans the rows of `entries` (fewer than 2^32 - 1 of them). Each entry's
// name becomes the path it resolves to, relative to the folder with '/'
// between folders (most are that already; the others are kept in `names`),
// except a name this system cannot hold, which stays as listed: the rows
// name their files through the entries, which must outlive the plan.
// `control` is how the list's format takes a control byte in a name
// (ResolveListedPath); `backslashInName` (empty: never) is asked about names
// with '\'. `cancel`, when set, stops the planning within 65,536 entries.
ListPlan PlanListVerification(std::vector<ListEntry>& entries, NameStore& names,
                              ControlBytes control = ControlBytes::kRefused,
                              const BackslashInName& backslashInName = {},
                              const std::atomic<bool>* cancel = nullptr);

// The path of `row`: relative to the folder, '/' between folders.
std::string_view ListRowPath(const ListRow& row, const std::vector<ListEntry>& entries,
                             const ListPlan& plan);

// Matches the entries of the folders listed with the rows of a plan, folder
// by folder, as they are listed; Finish ends it. Memory goes to the files
// that no line names, not to those that one names.
class ListFileMatcher {
  public:
    // `foldCase`: names fold case here (kNamesFoldCase, or a test's choice).
    ListFileMatcher(ListPlan& plan, const std::vector<ListEntry>& entries, bool foldCase);

    // The row that names `name` in `folder` (relative, "" for the top) byte
    // for byte, now found, or ListRow::kNone.
    std::uint32_t Match(const std::string& folder, std::string_view name);
    // An entry that Match found no row for: a plain file may be NEW, or a
    // row's up to case; anything else may still be what a row names up to
    // case, and is opened then.
    void Unmatched(const std::string& folder, const FolderEntry& entry);
    // Every entry of `folder` was handed over.
    void FolderListed(const std::string& folder);
    // `folder` is not there (FolderReach::kNotThere).
    void FolderNotThere(const std::string& folder);
    // `folder` is the folder `listedAs`, named up to case (where names fold
    // case): its rows are matched with what that one holds.
    void FolderSameAs(const std::string& folder, const std::string& listedAs);

    // Settles the rows not found: in a folder listed or not there, MISSING
    // unless something there may be it; a row of a folder not listed (not
    // reached, or through a link) is read at its path. Then adds a kUnlisted
    // row for each plain file that no row took, sorted by path.
    void Finish();

  private:
    struct FolderState {
        enum class Seen : unsigned char { kNot, kListed, kNotThere };
        Seen seen = Seen::kNot;
        bool unmatched = false;  // holds an entry no row named byte for byte
        bool foundRows = false;  // holds a row's file
        bool unsure = false;     // has rows not found that something there may be
    };
    FolderState* StateOf(std::string_view folder);
    void Join(std::size_t first, std::size_t other);

    ListPlan& plan_;
    const std::vector<ListEntry>& entries_;
    bool foldCase_;
    std::string path_;  // the last path matched
    std::unordered_map<std::string, FolderState> folders_;
    std::unordered_map<std::string, std::string> aliases_;  // FolderSameAs
    std::vector<std::size_t> otherHashes_;  // folded keys of the entries not matched, not plain
};

// The verdict for a kListed row from its file's digest now (of the kind of
// `expected`), against the digest `expected`: OK or CHANGED, MISSING when the
// path names no file, UNREADABLE for any other failure.
VerifyStatus JudgeListedFile(const Digest& expected, const FileChecksum& checksum);

}  // namespace sumbrook
