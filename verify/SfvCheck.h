// Checking a folder against an SFV list: the file each line names, the lines
// that name one and the same file, and the files that no line names.
//
// A name is taken relative to the folder, '/' and '\' both separating
// folders (ResolveListedPath); two lines name the same file when their
// resolved paths are equal (without regard to case on Windows, as its file
// systems compare names). Such a file is DUPLICATE, never checked against one
// of its lines by guessing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "files/FileChecksum.h"
#include "files/ListPlainFiles.h"
#include "lists/SfvReader.h"
#include "verify/CheckRow.h"

namespace sumbrook {

struct SfvRow {
    // kNotHeld: a name this system cannot hold (ListedPath::cannotBeHeld),
    // never opened; `path` is the name as listed, `reason` says why.
    enum class Kind { kListed, kDuplicate, kUnlisted, kNotHeld };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    // What only the few kDuplicate and kNotHeld rows have, kept apart so that
    // a plan of a million rows stays small.
    struct Detail {
        std::vector<std::size_t> laterEntries;  // kDuplicate: the others, in list order
        std::string reason;                     // kNotHeld
    };

    Kind kind = Kind::kListed;
    std::string path;                // relative to the folder, '/' between folders
    std::size_t entry = kNone;       // the first entry naming it (kListed: its entry)
    std::size_t file = kNone;        // kUnlisted: the file in the listing
    std::unique_ptr<Detail> detail;  // kDuplicate and kNotHeld; null otherwise

    // The row's Detail, made on the first call.
    Detail& MakeDetail() {
        if (!detail) detail = std::make_unique<Detail>();
        return *detail;
    }
};

struct SfvPlan {
    bool ok = false;
    std::size_t line = 0;  // when not ok: the line of the first name refused
    std::string error;     // and why
    // One row per file named, at the line that names it first; kUnlisted
    // rows after them, in the listing's order.
    std::vector<SfvRow> rows;
    // The folders that hold a named file, relative ("" for the folder itself),
    // sorted byte by byte.
    std::vector<std::string> folders;
};

// The rows take the entries' names rather than copy them: each entry's
// `name` is left empty (a list of a million names then holds each once).
SfvPlan PlanSfvVerification(std::vector<SfvEntry>& entries, bool foldCase);

// Adds a kUnlisted row for each file of `files` (named relative to the folder,
// as ListPlainFilesTree names them) that no row names.
void AddUnlistedFiles(SfvPlan& plan, const std::vector<PlainFile>& files, bool foldCase);

// The verdict for a kListed row from its file's checksum now: OK or CHANGED,
// MISSING when the path names no file, UNREADABLE for any other failure.
VerifyStatus JudgeListedFile(const SfvEntry& entry, const FileChecksum& checksum);
// The same against the checksum `expected`.
VerifyStatus JudgeListedFile(std::uint32_t expected, const FileChecksum& checksum);

}  // namespace sumbrook
