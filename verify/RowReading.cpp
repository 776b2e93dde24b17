#include "verify/RowReading.h"

#include <algorithm>
#include <thread>

#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "verify/CopyComparison.h"
#include "verify/SfvCheck.h"

namespace sumbrook {

namespace {

// What one file read tells a row beside its verdict.
void TakeRead(CheckRow& row, const FileChecksum& checksum) {
    if (checksum.readThroughCache) ++row.readThroughCache;
    if (checksum.status == FileReadStatus::kOk) {
        row.hasFound = true;
        row.found = checksum.crc;
        row.size = checksum.size;
    } else {
        row.failure = checksum;
    }
}

void Judge(PlannedRow& planned, const std::vector<FileChecksum>& read) {
    CheckRow& row = planned.row;
    switch (planned.judge) {
        case RowJudge::kNone:
            break;
        case RowJudge::kProtocol: {
            VerifyRow verifyRow;
            verifyRow.kind = planned.protocolKind;
            row.status = JudgeRow(verifyRow, planned.protocolEntry, read[0]);
            TakeRead(row, read[0]);
            break;
        }
        case RowJudge::kSfvListed:
            row.status = JudgeListedFile(*planned.sfvEntry, read[0]);
            TakeRead(row, read[0]);
            break;
        case RowJudge::kSfvUnlisted:
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
            row.readThroughCache =
                (source.readThroughCache ? 1U : 0U) + (copy.readThroughCache ? 1U : 0U);
            if (source.status == FileReadStatus::kOk) {
                row.hasExpected = true;
                row.expected = source.crc;
            }
            if (copy.status == FileReadStatus::kOk) {
                row.hasFound = true;
                row.found = copy.crc;
                row.size = copy.size;
            }
            if (row.status == VerifyStatus::kUnreadable) {
                const bool sourceFailed = source.status != FileReadStatus::kOk;
                row.failure = sourceFailed ? source : copy;
                row.failedPath = planned.toRead[sourceFailed ? 0 : 1].path;
            }
            break;
        }
    }
}

// Hands the rows over as their files come in.
class RowFeeder {
  public:
    RowFeeder(std::vector<PlannedRow>& rows, CheckSink& sink, StatusCounts& counts)
        : rows_(rows), sink_(sink), counts_(counts) {}

    void FileRead(const FileChecksum& checksum) {
        HandOverRowsWithoutFiles();
        if (next_ >= rows_.size()) return;
        read_.push_back(checksum);
        PlannedRow& planned = rows_[next_];
        if (read_.size() < planned.toRead.size()) return;
        Judge(planned, read_);
        read_.clear();
        HandOver(planned);
        HandOverRowsWithoutFiles();
    }

    void HandOverRowsWithoutFiles() {
        while (next_ < rows_.size() && rows_[next_].toRead.empty()) HandOver(rows_[next_]);
    }

  private:
    void HandOver(PlannedRow& planned) {
        ++next_;
        counts_.Add(planned.row);
        sink_.Row(planned.row);
        // The row is no longer needed; large runs keep only the plan.
        planned.row = CheckRow();
    }

    std::vector<PlannedRow>& rows_;
    CheckSink& sink_;
    StatusCounts& counts_;
    std::vector<FileChecksum> read_;
    std::size_t next_ = 0;
};

}  // namespace

CheckOutcome ReadRows(std::vector<PlannedRow> rows, const CheckOptions& options, CheckSink& sink,
                      CheckOutcome outcome) {
    if (options.only != nullptr) {
        rows.erase(std::remove_if(rows.begin(), rows.end(),
                                  [&](const PlannedRow& planned) {
                                      return options.only->count(planned.row.name) == 0;
                                  }),
                   rows.end());
    }
    std::vector<FileToRead> files;
    CheckPlan plan;
    plan.rows = rows.size();
    for (const PlannedRow& planned : rows) {
        for (const FileToRead& file : planned.toRead) files.push_back(file);
        plan.bytes += planned.bytes;
    }
    plan.files = files.size();
    sink.Planned(plan);
    RowFeeder feeder(rows, sink, outcome.counts);
    feeder.HandOverRowsWithoutFiles();

    const unsigned jobs = std::max(1U, options.jobs);
    // Every reading thread of the run, those of whole files and those of
    // parts alike, comes out of this one allowance.
    FileReadControl control(options.cancel, std::max(jobs, UsableProcessorCount()));
    std::size_t filesDone = 0;
    const bool completed = ChecksumInOrder(
        files, jobs,
        [&](std::size_t, const FileChecksum& checksum) {
            ++filesDone;
            feeder.FileRead(checksum);
        },
        [&] {
            sink.Progressed({filesDone, control.BytesRead()});
        },
        PerThreadUtf8Reader(options.uncached, &control), &control);
    if (!completed) {
        outcome.end = CheckOutcome::End::kCancelled;
        return outcome;
    }
    feeder.HandOverRowsWithoutFiles();
    outcome.end = CheckOutcome::End::kDone;
    return outcome;
}

}  // namespace sumbrook
