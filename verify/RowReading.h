// The reading half of every check: rows planned before anything is read,
// each with the files it needs read (none, one, or a copy's two), read in
// order with the run's options and handed to the sink as they are judged.
// Internal to verify/.
#pragma once

#include <cstdint>
#include <vector>

#include "files/FileEntryCrc32.h"
#include "lists/ProtocolReader.h"
#include "lists/SfvReader.h"
#include "verify/CheckRun.h"
#include "verify/ProtocolCheck.h"

namespace sumbrook {

// How a row is judged from what its files hold.
enum class RowJudge {
    kNone,         // nothing to read: `row` is complete as planned
    kProtocol,     // JudgeRow with `protocolKind` and `protocolEntry`
    kSfvListed,    // JudgeListedFile against `sfvEntry`
    kSfvUnlisted,  // NEW, or UNREADABLE
    kCopy,         // JudgeCopy of the two files
    kListing,      // a file of a list being made: OK with its checksum, or UNREADABLE
};

struct PlannedRow {
    CheckRow row;  // as far as it is known before reading
    RowJudge judge = RowJudge::kNone;
    std::vector<FileToRead> toRead;  // in reading order (a copy: source, then copy)
    std::uint64_t bytes = 0;         // their sizes, as listed
    VerifyRow::Kind protocolKind = VerifyRow::Kind::kListed;
    const ProtocolEntry* protocolEntry = nullptr;
    const SfvEntry* sfvEntry = nullptr;
};

// Hands `rows` to `sink` in order: the plan first (only the rows that
// `options.only` names, when set), then each row once its files are read,
// progress meanwhile. Fills `outcome`'s counts and end.
CheckOutcome ReadRows(std::vector<PlannedRow> rows, const CheckOptions& options, CheckSink& sink,
                      CheckOutcome outcome);

}  // namespace sumbrook
