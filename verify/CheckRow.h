// What a check finds, one row per file or list line, in the same shape for
// the three kinds of run (a protocol, a list of lines, a copy), and the counting
// of the rows by status. The report's text of a row and of a run is in
// verify/ReportText.h; exit codes belong to the command line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/FileChecksum.h"
#include "hash/Digest.h"

namespace sumbrook {

// kDuplicate: a file that a list names on more than one line.
// kDifferent: a file whose copy differs (a comparison of copies).
enum class VerifyStatus : unsigned char {
    kOk,
    kChanged,
    kMissing,
    kNew,
    kEmpty,
    kUnreadable,
    kAmbiguous,
    kDuplicate,
    kDifferent
};
inline constexpr std::size_t kVerifyStatusCount =
    static_cast<std::size_t>(VerifyStatus::kDifferent) + 1;

// "OK", "CHANGED", "MISSING", "NEW", "EMPTY", "UNREADABLE", "AMBIGUOUS",
// "DUPLICATE", "DIFFERENT".
const char* VerifyStatusName(VerifyStatus status);

// The three kinds of check: a folder against the dialog's protocol, against
// a list of lines, or against its copy.
enum class CheckKind { kProtocol, kList, kCopy };

struct CheckRow {
    VerifyStatus status = VerifyStatus::kOk;
    // Relative to the folder checked, '/' between folders, UTF-8; for a
    // protocol line that fits no file, its name field without the blanks
    // that fill it.
    std::string name;

    // The digest the list holds (or the source's, for a copy), and the one
    // the file has now, of the same kind; each only where there is one.
    bool hasExpected = false;
    Digest expected;
    bool hasFound = false;
    Digest found;

    // A comparison of copies whose sizes differ: the two sizes (nothing was
    // read). Else `size` is the size of the file read, where one was read.
    bool sizesCompared = false;
    std::uint64_t expectedSize = 0;
    std::uint64_t foundSize = 0;
    std::uint64_t size = 0;

    // kUnreadable: the failed read (status and system error, as ChecksumFile
    // gives them) and the path that failed (a copy has two; a list being
    // made names the path of each file it leaves out).
    FileChecksum failure;
    std::string failedPath;
    // A list being made (MakeList): why the file's name cannot be listed
    // (it was not read); "" otherwise.
    std::string nameFault;
    // kUnreadable: a name the list holds that this system cannot hold (a
    // device name or a stream on Windows), never opened; `lines` holds its line.
    std::string notHeld;

    // kDuplicate: the list's lines that name the file, in order.
    std::vector<std::size_t> lines;
    // kAmbiguous: the names of the files that fit the line, and how many
    // lines of the protocol share the line's name field.
    std::vector<std::string> candidates;
    std::size_t sameFieldLines = 0;

    // A file that a list names on lines of several kinds, one row each: the
    // report names the row's kind (that of `expected`).
    bool showsKind = false;

    // The files of the row (a copy has two) read through the cache because
    // the file system refused uncached reads.
    unsigned readThroughCache = 0;
};

// Rows counted by status, and the files read through the cache against an
// uncached run's wish.
class StatusCounts {
  public:
    void Add(const CheckRow& row) {
        Add(row.status);
        AddReadThroughCache(row.readThroughCache);
    }
    void Add(VerifyStatus status) { ++counts_[static_cast<std::size_t>(status)]; }
    void AddReadThroughCache(std::size_t files) { readThroughCache_ += files; }
    std::size_t Count(VerifyStatus status) const {
        return counts_[static_cast<std::size_t>(status)];
    }
    std::size_t ReadThroughCache() const { return readThroughCache_; }
    std::size_t Total() const;
    // Whether a file differs from what was expected: a row CHANGED, MISSING,
    // NEW, AMBIGUOUS, DUPLICATE or DIFFERENT (an EMPTY file is no difference).
    bool AnyDifference() const;

  private:
    std::array<std::size_t, kVerifyStatusCount> counts_{};
    std::size_t readThroughCache_ = 0;
};

}  // namespace sumbrook
