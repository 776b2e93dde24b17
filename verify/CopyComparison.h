// Comparing a folder with its copy: which file of the copy stands for which
// file of the source, by the same path relative to each folder (on Windows
// up to case where no path is the same byte for byte), and what the two
// checksums say.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "files/FileChecksum.h"
#include "files/ListPlainFiles.h"
#include "verify/CheckRow.h"

namespace sumbrook {

struct CopyRow {
    enum class Kind { kBoth, kSourceOnly, kCopyOnly };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    Kind kind = Kind::kBoth;
    std::size_t source = kNone;  // kBoth, kSourceOnly: the file in the source listing
    std::size_t copy = kNone;    // kBoth, kCopyOnly: the file in the copy's listing
};

// One row per file of `source`, in its order, then the files found only in
// `copy`, in theirs. Names are relative paths as ListPlainFilesTree gives.
std::vector<CopyRow> PlanCopyComparison(const std::vector<PlainFile>& source,
                                        const std::vector<PlainFile>& copy, bool foldCase);

// OK when both were read and their checksums and sizes agree, DIFFERENT
// when they disagree, UNREADABLE when either could not be read.
VerifyStatus JudgeCopy(const FileChecksum& source, const FileChecksum& copy);

}  // namespace sumbrook
