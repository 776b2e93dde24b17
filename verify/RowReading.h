// The reading half of every check: rows planned before anything is read,
// each with the files it needs read (none, one, or a copy's two), read in
// order with the run's options and handed to the sink as they are judged.
// Internal to verify/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "files/CopyPairChecksum.h"
#include "files/FileToRead.h"
#include "hash/Digest.h"
#include "lists/DigestStore.h"
#include "lists/ProtocolReader.h"
#include "lists/SfvReader.h"
#include "verify/CheckSink.h"
#include "verify/ProtocolCheck.h"

namespace sumbrook {

// How a row is judged from what its files hold (a row without files to read
// is complete as planned).
enum class RowJudge : unsigned char {
    kProtocol,  // JudgeRow with `protocolKind` and `protocolEntry`
    kListed,    // JudgeListedFile against `expected`
    kUnlisted,  // NEW, or UNREADABLE
    kCopy,      // JudgeCopy of the two files
    kListing,   // a file of a list being made: OK with its checksum, or UNREADABLE
};

// What a row needs read, and how it is judged from what is read.
struct RowReading {
    explicit RowReading(RowJudge judgedBy) : judge(judgedBy) {}

    std::vector<FileToRead> toRead;          // in reading order (a copy: source, then copy)
    std::uint64_t bytes = 0;                 // their sizes, as listed
    DigestKind digest = DigestKind::kCrc32;  // the digest read of them
    const ProtocolEntry* protocolEntry = nullptr;
    // kCopy: both results, set by the thread that reads them.
    std::unique_ptr<CopyPairChecksums> pair;
    // kListed: the kinds of the rows that follow this one and name the
    // same file (lines of other kinds), read in the same read; their
    // digests, in that order, set by the thread that reads them.
    std::vector<DigestKind> moreKinds;
    std::vector<Digest> moreDigests;
    RowJudge judge;
    VerifyRow::Kind protocolKind = VerifyRow::Kind::kListed;
};

struct PlannedRow {
    // The row as far as it is known before reading. Most rows of a list of
    // a million lines have only these fields, so that it plans in little
    // memory; the rest is made for the rows that need it (More, Reading).
    //
    // The row's name is borrowed from the list or listing it was planned
    // from, which outlives the reading; a name made for the row itself is
    // held in More().name (OwnName).
    std::string_view name;
    std::unique_ptr<CheckRow> more;
    std::unique_ptr<RowReading> reading;  // null: nothing to read
    static constexpr std::uint32_t kNoDigest = 0xFFFFFFFF;
    // The digest the list holds: where it lies in the run's DigestStore
    // (kNoDigest: none), and its kind.
    std::uint32_t expectedAt = kNoDigest;
    VerifyStatus status = VerifyStatus::kOk;
    DigestKind expectedKind = DigestKind::kCrc32;
    // Set by ReadsItsName.
    bool readsName = false;
    RowJudge nameJudge = RowJudge::kListed;

    // Keeps `digest` in `digests` as the row's expected digest.
    void Expect(DigestStore& digests, const Digest& digest);
    // Gives the row a name of its own.
    void OwnName(std::string text);
    // The row's other fields, made on the first call.
    CheckRow& More();
    // Makes the row one whose files are read for a digest of `digest`, and
    // judged by `judge`.
    RowReading& StartReading(RowJudge judge, DigestKind digest);
    // Makes the row one whose one file is `name` in the folder checked
    // (ReadRows's `folder`), of no size known, read for a digest of `digest`
    // (kept as `expectedKind`) and judged by `judge`: most rows of a long
    // list are so, and need no RowReading.
    void ReadsItsName(RowJudge judge, DigestKind digest);
    std::size_t FilesToRead() const {
        return reading ? reading->toRead.size() : (readsName ? 1 : 0);
    }
    bool HasExpected() const { return expectedAt != kNoDigest; }
    // The whole row as planned, its expected digest taken from `digests`;
    // this one keeps nothing of it.
    CheckRow TakeRow(const DigestStore& digests);
};

// Hands `rows` to `sink` in order: the plan first (only the rows that
// `options.only` names, when set), then each row once its files are read
// (but with `options.ignoreMissing` no MISSING row), progress meanwhile. The
// rows' expected digests are in `digests`. Fills `outcome`'s counts and end.
// `folder`: the folder checked, where rows that ReadsItsName find their
// files. A row whose file is `leaveOut` (the list checked, by identity) is
// not read: it goes to ListFoundAs instead of Row.
CheckOutcome ReadRows(std::vector<PlannedRow> rows, const DigestStore& digests,
                      const CheckOptions& options, CheckSink& sink, CheckOutcome outcome,
                      const std::string& folder = std::string(),
                      const FileIdentity* leaveOut = nullptr);

}  // namespace sumbrook
