// Checking a directory against a protocol: which file each protocol line
// stands for, what became of it, and the summary of a run.
//
// A protocol line names its file by the name field: the name cut to its
// first 34 characters, or filled with blanks to 34. A file fits a line when
// its own name, cut or filled the same way, gives the same field, so a cut
// name matches every file that begins with it. A line that fits no file is
// MISSING; a line that fits one file, and is the only line that fits it, is
// that file's; any other fit is AMBIGUOUS and never resolved by guessing.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "cli/ExitCodes.h"
#include "files/FileChecksum.h"
#include "lists/ProtocolReader.h"

namespace sumbrook {

// kDuplicate: a file that an SFV list names on more than one line.
// kDifferent: a file whose copy differs (--compare).
enum class VerifyStatus {
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

// The counts each kind of run sums up, in the order of its summary line.
inline constexpr std::array<VerifyStatus, 7> kProtocolSummary = {
    VerifyStatus::kOk,    VerifyStatus::kChanged,    VerifyStatus::kMissing,  VerifyStatus::kNew,
    VerifyStatus::kEmpty, VerifyStatus::kUnreadable, VerifyStatus::kAmbiguous};
inline constexpr std::array<VerifyStatus, 6> kSfvSummary = {
    VerifyStatus::kOk,  VerifyStatus::kChanged,    VerifyStatus::kMissing,
    VerifyStatus::kNew, VerifyStatus::kUnreadable, VerifyStatus::kDuplicate};
inline constexpr std::array<VerifyStatus, 5> kCompareSummary = {
    VerifyStatus::kOk, VerifyStatus::kDifferent, VerifyStatus::kMissing, VerifyStatus::kNew,
    VerifyStatus::kUnreadable};

// The name field that a protocol would hold for a file of this name. With
// `foldCase`, letters are compared the way the file system of the Windows
// build compares them.
std::string NameFieldKey(std::string_view name, bool foldCase);

// One line of the report, in the order the report shows them: the protocol's
// lines first, in their order, then the files that no line fits, in the
// order they were listed.
struct VerifyRow {
    enum class Kind { kListed, kMissing, kAmbiguous, kUnlisted };
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    Kind kind = Kind::kListed;
    std::size_t entry = kNone;            // protocol entry (all kinds but kUnlisted)
    std::size_t file = kNone;             // directory file (kListed, kUnlisted)
    std::vector<std::size_t> candidates;  // kAmbiguous: the files that fit
    std::size_t sameFieldLines = 0;       // kAmbiguous: protocol lines with this field
};

std::vector<VerifyRow> PlanVerification(const std::vector<ProtocolEntry>& entries,
                                        const std::vector<std::string>& fileNames, bool foldCase);

// The verdict for a row that has a file, from that file's checksum now.
// Unreadable wins over everything; an unlisted file whose content is empty is
// EMPTY (a protocol never lists one), any other unlisted file NEW.
VerifyStatus JudgeRow(const VerifyRow& row, const ProtocolEntry* entry,
                      const FileChecksum& checksum);

// Counts per status, the summary line and the exit code of a run.
class VerifyTally {
  public:
    void Add(VerifyStatus status) { ++counts_[static_cast<std::size_t>(status)]; }
    // Counts `checksum` among the files read through the cache because the
    // file system refused uncached reads, if it was one.
    void AddRead(const FileChecksum& checksum) {
        if (checksum.readThroughCache) ++readThroughCache_;
    }
    std::size_t Count(VerifyStatus status) const {
        return counts_[static_cast<std::size_t>(status)];
    }
    // "3 OK, 1 CHANGED, 0 MISSING, 0 NEW, 0 EMPTY, 0 UNREADABLE, 0 AMBIGUOUS",
    // followed, when files were read through the cache against an uncached
    // run's wish, by ", 2 read through the cache (the file system refused
    // uncached reads)".
    std::string SummaryLine() const;
    // The counts of `shown`, in that order, as above.
    template <std::size_t N>
    std::string SummaryLine(const std::array<VerifyStatus, N>& shown) const {
        return SummaryOf(shown.data(), N);
    }
    // kExitError when a file could not be read, else kExitDifferences when
    // something differs (changed, missing, new, ambiguous, duplicate,
    // different), else kExitOk.
    int ExitCode() const;

  private:
    std::string SummaryOf(const VerifyStatus* shown, std::size_t count) const;

    std::array<std::size_t, kVerifyStatusCount> counts_{};
    std::size_t readThroughCache_ = 0;
};

// The report line for one row: the status padded to 12 characters, the name,
// and what there is to say: "CHANGED     a.txt  352441C2 -> CBF43926".
// `detail` is the rest of the line after two blanks, if any.
std::string VerifyLine(VerifyStatus status, std::string_view name, std::string_view detail);

}  // namespace sumbrook
