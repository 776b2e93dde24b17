#include "verify/RowReading.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <thread>

#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "files/FileDigests.h"
#include "files/FileSize.h"
#include "files/ListPlainFilesTree.h"
#include "verify/CopyComparison.h"
#include "verify/ListCheck.h"

namespace sumbrook {

namespace {

// What one file read tells a row beside its verdict.
void TakeRead(CheckRow& row, const FileChecksum& checksum) {
    if (checksum.readThroughCache) ++row.readThroughCache;
    if (checksum.status == FileReadStatus::kOk) {
        row.hasFound = true;
        row.found = checksum.digest;
        row.size = checksum.size;
    } else {
        row.failure = checksum;
    }
}

// A copy whose two files were read although their sizes were not known
// before: whether the sizes differ, as the sizes read tell or, where a file
// could not be read, as the file system tells.
bool SizesDiffer(const RowReading& planned, const FileChecksum& source, const FileChecksum& copy,
                 std::uint64_t& sourceSize, std::uint64_t& copySize) {
    if (source.status == FileReadStatus::kOk && copy.status == FileReadStatus::kOk) {
        sourceSize = source.size;
        copySize = copy.size;
        return sourceSize != copySize;
    }
    return QueryFileSize(planned.toRead[0].path, sourceSize) &&
           QueryFileSize(planned.toRead[1].path, copySize) && sourceSize != copySize;
}

void Judge(RowJudge judge, const RowReading* reading, CheckRow& row,
           const std::vector<FileChecksum>& read) {
    if (reading == nullptr) {
        // A row that reads its name: one file, nothing planned beside.
        row.status = judge == RowJudge::kListed ? JudgeListedFile(row.expected, read[0])
                     : read[0].status == FileReadStatus::kOk ? VerifyStatus::kNew
                                                             : VerifyStatus::kUnreadable;
        TakeRead(row, read[0]);
        return;
    }
    const RowReading& planned = *reading;
    switch (planned.judge) {
        case RowJudge::kProtocol: {
            VerifyRow verifyRow;
            verifyRow.kind = planned.protocolKind;
            row.status = JudgeRow(verifyRow, planned.protocolEntry, read[0]);
            TakeRead(row, read[0]);
            break;
        }
        case RowJudge::kListed:
            row.status = JudgeListedFile(row.expected, read[0]);
            TakeRead(row, read[0]);
            break;
        case RowJudge::kUnlisted:
        case RowJudge::kListing:
            row.status =
                read[0].status == FileReadStatus::kOk
                    ? (planned.judge == RowJudge::kListing ? VerifyStatus::kOk : VerifyStatus::kNew)
                    : VerifyStatus::kUnreadable;
            TakeRead(row, read[0]);
            if (planned.judge == RowJudge::kListing && row.status != VerifyStatus::kOk) {
                row.failedPath = planned.toRead[0].path;
            }
            break;
        case RowJudge::kCopy: {
            const FileChecksum& source = read[0];
            const FileChecksum& copy = read[1];
            row.status = JudgeCopy(source, copy);
            if (SizesDiffer(planned, source, copy, row.expectedSize, row.foundSize)) {
                row.status = VerifyStatus::kDifferent;
                row.sizesCompared = true;
            }
            row.readThroughCache =
                (source.readThroughCache ? 1U : 0U) + (copy.readThroughCache ? 1U : 0U);
            if (source.status == FileReadStatus::kOk) {
                row.hasExpected = true;
                row.expected = source.digest;
            }
            if (copy.status == FileReadStatus::kOk) {
                row.hasFound = true;
                row.found = copy.digest;
                row.size = copy.size;
            }
            if (row.status == VerifyStatus::kUnreadable && !row.sizesCompared) {
                const bool sourceFailed = source.status != FileReadStatus::kOk;
                row.failure = sourceFailed ? source : copy;
                row.failedPath = planned.toRead[sourceFailed ? 0 : 1].path;
            }
            break;
        }
    }
}

// The rows handed over between two looks at the cancel flag.
constexpr std::size_t kRowsPerLook = 1U << 12;

// Hands the rows over as their files come in.
class RowFeeder {
  public:
    RowFeeder(std::vector<PlannedRow>& rows, const DigestStore& digests, CheckSink& sink,
              StatusCounts& counts, bool dropMissing, const std::atomic<bool>* cancel)
        : rows_(rows),
          digests_(digests),
          sink_(sink),
          counts_(counts),
          dropMissing_(dropMissing),
          cancel_(cancel) {}

    void FileRead(const FileChecksum& checksum) {
        HandOverRowsWithoutFiles();
        if (next_ >= rows_.size()) return;
        read_.push_back(checksum);
        PlannedRow& planned = rows_[next_];
        if (read_.size() < planned.FilesToRead()) return;
        const std::unique_ptr<RowReading> reading = std::move(planned.reading);
        const RowJudge judge = planned.nameJudge;
        CheckRow row = planned.TakeRow(digests_);
        const auto leftOut = [](const FileChecksum& read) {
            return read.status == FileReadStatus::kLeftOut;
        };
        const std::size_t moreRows = reading ? reading->moreKinds.size() : 0;
        if (std::any_of(read_.begin(), read_.end(), leftOut)) {
            read_.clear();
            next_ += 1 + moreRows;
            sink_.ListFoundAs(row.name);
            HandOverRowsWithoutFiles();
            return;
        }
        Judge(judge, reading.get(), row, read_);
        if (moreRows > 0) JudgeRowsOfOtherKinds(*reading, row);
        read_.clear();
        HandOver(row);
        HandOverRowsWithoutFiles();
    }

    // False when the cancel flag stopped it (a list of a million missing
    // files hands them all over here).
    bool HandOverRowsWithoutFiles() {
        for (std::size_t given = 1; next_ < rows_.size() && rows_[next_].FilesToRead() == 0;
             ++given) {
            if (given % kRowsPerLook == 0 && cancel_ != nullptr && cancel_->load()) return false;
            const CheckRow row = rows_[next_].TakeRow(digests_);
            HandOver(row);
        }
        return true;
    }

  private:
    // The rows after the current one whose digests `reading` read with its
    // own: judged as the current `row` was, from their own digest.
    void JudgeRowsOfOtherKinds(const RowReading& reading, const CheckRow& row) {
        const bool read = row.hasFound && reading.moreDigests.size() == reading.moreKinds.size();
        for (std::size_t i = 0; i < reading.moreKinds.size(); ++i) {
            PlannedRow& other = rows_[next_ + 1 + i];
            CheckRow& more = other.More();
            if (!read) {
                other.status = row.status == VerifyStatus::kMissing ? VerifyStatus::kMissing
                                                                    : VerifyStatus::kUnreadable;
                more.failure = row.failure;
                continue;
            }
            more.hasFound = true;
            more.found = reading.moreDigests[i];
            more.size = row.size;
            other.status = other.HasExpected() &&
                                   more.found == digests_.At(other.expectedAt, other.expectedKind)
                               ? VerifyStatus::kOk
                               : VerifyStatus::kChanged;
        }
    }

    void HandOver(const CheckRow& row) {
        ++next_;
        if (dropMissing_ && row.status == VerifyStatus::kMissing) return;
        counts_.Add(row);
        sink_.Row(row);
    }

    std::vector<PlannedRow>& rows_;
    const DigestStore& digests_;
    CheckSink& sink_;
    StatusCounts& counts_;
    bool dropMissing_;
    const std::atomic<bool>* cancel_;
    std::vector<FileChecksum> read_;
    std::size_t next_ = 0;
};

// When progress is worth reporting: every 100 ms, and sooner when another
// sixteenth of the planned bytes has been read (at most 16 times a run), so
// that a single large file moves the progress in steps however fast it is read.
class ProgressPace {
  public:
    explicit ProgressPace(std::uint64_t plannedBytes)
        : step_(Step(plannedBytes)), last_(Clock::now()) {}
    static std::uint64_t Step(std::uint64_t plannedBytes) { return plannedBytes / 16; }

    bool Due(std::uint64_t bytes) {
        const Clock::time_point now = Clock::now();
        const auto since = now - last_;
        const bool stepped = step_ > 0 && bytes / step_ > lastBytes_ / step_;
        if (since < std::chrono::milliseconds(100) && !stepped) return false;
        last_ = now;
        lastBytes_ = bytes;
        return true;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::uint64_t step_;
    std::uint64_t lastBytes_ = 0;
    Clock::time_point last_;
};

}  // namespace

// A million rows of a list whose files are all missing are a million of
// these and nothing more: a name's place, two pointers, the reference to
// the listed digest and the status.
static_assert(sizeof(PlannedRow) <= 4 * sizeof(void*) + 8, "a planned row grew");

CheckRow& PlannedRow::More() {
    if (!more) more = std::make_unique<CheckRow>();
    return *more;
}

RowReading& PlannedRow::StartReading(RowJudge judge, DigestKind digest) {
    reading = std::make_unique<RowReading>(judge);
    reading->digest = digest;
    readsName = false;
    return *reading;
}

void PlannedRow::ReadsItsName(RowJudge judge, DigestKind digest) {
    reading.reset();
    readsName = true;
    nameJudge = judge;
    expectedKind = digest;
}

void PlannedRow::OwnName(std::string text) {
    More().name = std::move(text);
    name = more->name;
}

void PlannedRow::Expect(DigestStore& digests, const Digest& digest) {
    const std::optional<std::uint32_t> at = digests.Add(digest);
    if (!at) throw std::length_error("too many digests");
    expectedAt = *at;
    expectedKind = digest.Kind();
}

CheckRow PlannedRow::TakeRow(const DigestStore& digests) {
    std::string taken(name);  // before *more, which may hold it, is taken
    CheckRow row = more ? std::move(*more) : CheckRow();
    more.reset();
    reading.reset();
    readsName = false;
    row.name = std::move(taken);
    name = {};
    row.status = status;
    if (expectedAt != kNoDigest) {
        row.hasExpected = true;
        row.expected = digests.At(expectedAt, expectedKind);
    }
    return row;
}

CheckOutcome ReadRows(std::vector<PlannedRow> rows, const DigestStore& digests,
                      const CheckOptions& options, CheckSink& sink, CheckOutcome outcome,
                      const std::string& folder, const FileIdentity* leaveOut) {
    if (options.only != nullptr) {
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](const PlannedRow& planned) {
                                      return options.only->count(std::string(planned.name)) == 0;
                                  }),
                   rows.end());
    }
    // One reading unit per row that reads: a copy's two files are read
    // together (ChecksumCopyPair), so that files of different sizes need not
    // be read. Each unit's path is made when it is read.
    std::vector<std::uint32_t> unitRows;
    CheckPlan plan;
    plan.rows = rows.size();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const PlannedRow& row = rows[index];
        if (row.FilesToRead() == 0) continue;
        plan.files += row.FilesToRead();
        if (row.reading) plan.bytes += row.reading->bytes;
        unitRows.push_back(static_cast<std::uint32_t>(index));
    }
    sink.Planned(plan);
    RowFeeder feeder(rows, digests, sink, outcome.counts, options.ignoreMissing, options.cancel);
    if (!feeder.HandOverRowsWithoutFiles()) {
        outcome.end = CheckOutcome::End::kCancelled;
        return outcome;
    }

    const unsigned jobs = std::max(1U, options.jobs);
    // Every reading thread of the run, those of whole files and those of
    // parts alike, comes out of this one allowance.
    FileReadControl control(options.cancel, std::max(jobs, UsableProcessorCount()));
    control.SetProgressStep(ProgressPace::Step(plan.bytes));
    FileAccess access = kPerThreadUtf8FileAccess;
    access.uncached = options.uncached;
    access.control = &control;
    access.leaveOut = leaveOut;
    // A row is read by one thread while this one hands over the rows before
    // it; its RowReading (a copy's pair too) is taken only after its result.
    const ReadFileAt read = [&](std::size_t unit, unsigned parts,
                                std::vector<unsigned char>& buffer) {
        PlannedRow& row = rows[unitRows[unit]];
        if (!row.reading) {
            return ReadFileChecksum({PathInFolder(folder, std::string(row.name)), ""}, parts,
                                    buffer, WithDigestKind(access, row.expectedKind));
        }
        RowReading& planned = *row.reading;
        const FileAccess rowAccess = WithDigestKind(access, planned.digest);
        if (!planned.moreKinds.empty()) {
            // One read for the digests of every kind the list names it with.
            if (leaveOut != nullptr && IdentityOf(planned.toRead[0].path) == *leaveOut) {
                FileChecksum left;
                left.status = FileReadStatus::kLeftOut;
                return left;
            }
            std::vector<DigestKind> kinds;
            kinds.reserve(1 + planned.moreKinds.size());
            kinds.push_back(planned.digest);
            for (const DigestKind kind : planned.moreKinds) kinds.push_back(kind);
            FileDigests all = DigestFileOnce(planned.toRead[0].path, kinds, buffer, rowAccess);
            if (all.read.status == FileReadStatus::kOk && all.digests.size() == kinds.size()) {
                planned.moreDigests.assign(all.digests.begin() + 1, all.digests.end());
            }
            return all.read;
        }
        if (planned.judge != RowJudge::kCopy) {
            return ReadFileChecksum(planned.toRead[0], parts, buffer, rowAccess);
        }
        planned.pair = std::make_unique<CopyPairChecksums>(
            ChecksumCopyPair(planned.toRead[0], planned.toRead[1], parts, buffer, rowAccess));
        const CopyPairChecksums& pair = *planned.pair;
        return pair.copy.status == FileReadStatus::kCancelled ? pair.copy : pair.source;
    };
    std::size_t filesDone = 0;
    ProgressPace pace(plan.bytes);
    const bool completed = ChecksumInOrder(
        unitRows.size(), jobs,
        [&](std::size_t unit, const FileChecksum& checksum) {
            const PlannedRow& row = rows[unitRows[unit]];
            if (!row.reading || row.reading->judge != RowJudge::kCopy) {
                ++filesDone;
                feeder.FileRead(checksum);
                return;
            }
            // A pair whose reading failed as a whole (no memory) fails both.
            const CopyPairChecksums* pair = row.reading->pair.get();
            const bool whole = pair != nullptr && pair->source.status == checksum.status;
            const FileChecksum source = whole ? pair->source : checksum;
            const FileChecksum copy = whole ? pair->copy : checksum;
            filesDone += 2;
            feeder.FileRead(source);
            feeder.FileRead(copy);
        },
        [&] {
            const std::uint64_t bytes = control.BytesRead();
            if (pace.Due(bytes)) sink.Progressed({filesDone, bytes});
        },
        read, &control);
    if (!completed) {
        outcome.end = CheckOutcome::End::kCancelled;
        return outcome;
    }
    feeder.HandOverRowsWithoutFiles();
    outcome.end = CheckOutcome::End::kDone;
    return outcome;
}

}  // namespace sumbrook
