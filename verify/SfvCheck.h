// Checking a folder against an SFV list: the file each line names, the lines
// that name one and the same file, and the files that no line names.
//
// A name is taken relative to the folder, '/' and '\' both separating
// folders (ResolveListedPath); two lines name the same file when their
// resolved paths are equal (without regard to case on Windows, as its file
// systems compare names). Such a file is DUPLICATE, never checked against one
// of its lines by guessing.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "files/FileChecksum.h"
#include "files/ListPlainFiles.h"
#include "lists/NameStore.h"
#include "lists/SfvReader.h"
#include "verify/CheckRow.h"

namespace sumbrook {

// A row names its file by index, so that a plan of a million rows stays
// small: its path is the name of its entry (kListed, kDuplicate, kNotHeld)
// or of its file (kUnlisted); SfvRowPath gives it.
struct SfvRow {
    // kNotHeld: a name this system cannot hold (ListedPath::cannotBeHeld),
    // never opened; its entry's name is the name as listed, its detail's
    // `reason` says why.
    enum class Kind : unsigned char { kListed, kDuplicate, kUnlisted, kNotHeld };
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;

    std::uint32_t entry = kNone;   // the first entry naming it (kListed: its entry)
    std::uint32_t file = kNone;    // kUnlisted: the file in the listing
    std::uint32_t detail = kNone;  // kDuplicate and kNotHeld: in SfvPlan::details
    Kind kind = Kind::kListed;
};

// What only the few kDuplicate and kNotHeld rows have.
struct SfvRowDetail {
    std::vector<std::size_t> laterEntries;  // kDuplicate: the others, in list order
    std::string reason;                     // kNotHeld
};

struct SfvPlan {
    bool ok = false;
    bool cancelled = false;  // not ok: the cancel flag stopped the planning
    std::size_t line = 0;    // when not ok: the line of the first name refused
    std::string error;       // and why
    // One row per file named, at the line that names it first; kUnlisted
    // rows after them, in the listing's order.
    std::vector<SfvRow> rows;
    std::vector<SfvRowDetail> details;
    // The folders that hold a named file, relative ("" for the folder itself),
    // sorted byte by byte.
    std::vector<std::string> folders;
};

// Plans the rows of `entries` (fewer than 2^32 - 1 of them). Each entry's
// name becomes the path it resolves to, relative to the folder with '/'
// between folders (most are that already; the others are kept in `names`),
// except a name this system cannot hold, which stays as listed: the rows
// name their files through the entries, which must outlive the plan.
// `cancel`, when set, stops the planning within 65,536 entries.
SfvPlan PlanSfvVerification(std::vector<SfvEntry>& entries, NameStore& names, bool foldCase,
                            const std::atomic<bool>* cancel = nullptr);

// The path of `row`: relative to the folder, '/' between folders.
std::string_view SfvRowPath(const SfvRow& row, const std::vector<SfvEntry>& entries,
                            const std::vector<PlainFile>& files);

// Adds a kUnlisted row for each file of `files` (named relative to the folder,
// as ListPlainFilesTree names them) that no row names; `entries` are those
// the plan was made of.
void AddUnlistedFiles(SfvPlan& plan, const std::vector<SfvEntry>& entries,
                      const std::vector<PlainFile>& files, bool foldCase);

// The verdict for a kListed row from its file's checksum now, against the
// checksum `expected`: OK or CHANGED, MISSING when the path names no file,
// UNREADABLE for any other failure.
VerifyStatus JudgeListedFile(std::uint32_t expected, const FileChecksum& checksum);

}  // namespace sumbrook
