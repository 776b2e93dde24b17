#include <atomic>
#include <system_error>
#include <thread>

#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/CopyComparison.h"
#include "cli/DisplayName.h"
#include "cli/ParallelChecksum.h"
#include "cli/ReportRun.h"
#include "crc/Crc32.h"
#include "files/FileSize.h"
#include "files/ListPlainFilesTree.h"
#include "files/NameCompare.h"
#include "files/ReadFailure.h"

namespace sumbrook {

namespace {

// What a row needs: both files read, or nothing read.
struct PlannedRow {
    CopyRow row;
    bool read = false;
    std::uint64_t sourceSize = 0;  // when the sizes differ
    std::uint64_t copySize = 0;
};

std::string SizeText(std::uint64_t size) {
    return std::to_string(size) + (size == 1 ? " byte" : " bytes");
}

// Prints the report row by row as the checksums come in, two per row read.
class CopyReport {
  public:
    CopyReport(CommandOutput& output, const std::vector<PlainFile>& source,
               const std::vector<PlainFile>& copy, std::vector<PlannedRow> rows)
        : output_(output), source_(source), copy_(copy), rows_(std::move(rows)) {}

    std::vector<FileToRead> FilesToRead() const {
        std::vector<FileToRead> files;
        for (const PlannedRow& planned : rows_) {
            if (!planned.read) continue;
            const PlainFile& source = source_[planned.row.source];
            const PlainFile& copy = copy_[planned.row.copy];
            files.push_back({source.path, source.alternatePath});
            files.push_back({copy.path, copy.alternatePath});
        }
        return files;
    }

    void FileRead(const FileChecksum& checksum) {
        tally_.AddRead(checksum);
        PrintRowsWithoutFiles();
        if (!haveSource_) {
            sourceChecksum_ = checksum;
            haveSource_ = true;
            return;
        }
        haveSource_ = false;
        if (next_ < rows_.size()) PrintReadRow(rows_[next_++], checksum);
    }

    void Finish() { PrintRowsWithoutFiles(); }

    const VerifyTally& Tally() const { return tally_; }

  private:
    void Print(VerifyStatus status, const std::string& name, const std::string& detail) {
        tally_.Add(status);
        output_.Line(VerifyLine(status, DisplayName(name), detail));
    }

    void PrintRowsWithoutFiles() {
        if (haveSource_) return;
        while (next_ < rows_.size() && !rows_[next_].read) {
            const PlannedRow& planned = rows_[next_++];
            switch (planned.row.kind) {
                case CopyRow::Kind::kSourceOnly:
                    Print(VerifyStatus::kMissing, source_[planned.row.source].name, "");
                    break;
                case CopyRow::Kind::kCopyOnly:
                    Print(VerifyStatus::kNew, copy_[planned.row.copy].name, "");
                    break;
                case CopyRow::Kind::kBoth:
                    Print(VerifyStatus::kDifferent, source_[planned.row.source].name,
                          SizeText(planned.sourceSize) + " -> " + SizeText(planned.copySize));
                    break;
            }
        }
    }

    void PrintReadRow(const PlannedRow& planned, const FileChecksum& copyChecksum) {
        const PlainFile& source = source_[planned.row.source];
        const PlainFile& copy = copy_[planned.row.copy];
        const VerifyStatus status = JudgeCopy(sourceChecksum_, copyChecksum);
        std::string detail;
        if (status == VerifyStatus::kDifferent) {
            detail = Crc32Text(sourceChecksum_.crc) + " -> " + Crc32Text(copyChecksum.crc);
        } else if (status == VerifyStatus::kUnreadable) {
            const bool sourceFailed = sourceChecksum_.status != FileReadStatus::kOk;
            detail = DisplayName(sourceFailed ? source.path : copy.path) + ": " +
                     ReadFailureText(sourceFailed ? sourceChecksum_ : copyChecksum);
        }
        Print(status, source.name, detail);
    }

    CommandOutput& output_;
    const std::vector<PlainFile>& source_;
    const std::vector<PlainFile>& copy_;
    std::vector<PlannedRow> rows_;
    std::size_t next_ = 0;
    bool haveSource_ = false;
    FileChecksum sourceChecksum_;
    VerifyTally tally_;
};

// Calls `work(i)` for every i below `count`, on up to `jobs` threads (the
// calling thread among them); on the calling thread alone when no thread
// can be started. `work` must not throw.
template <typename Work>
void ForEachIndex(std::size_t count, unsigned jobs, const Work& work) {
    std::atomic<std::size_t> next{0};
    const auto drain = [&] {
        for (std::size_t i = next++; i < count; i = next++) work(i);
    };
    std::vector<std::thread> helpers;
    for (unsigned job = 1; job < jobs && job < count; ++job) {
        try {
            helpers.emplace_back(drain);
        } catch (const std::system_error&) {
            break;
        }
    }
    drain();
    for (std::thread& helper : helpers) helper.join();
}

// The rows of the comparison; a pair is read unless the file system already
// tells two different sizes (asked on `jobs` threads: on many small files
// this costs about as much as reading them).
std::vector<PlannedRow> PlanRows(const std::vector<PlainFile>& source,
                                 const std::vector<PlainFile>& copy, unsigned jobs) {
    std::vector<PlannedRow> rows;
    for (const CopyRow& row : PlanCopyComparison(source, copy, kNamesFoldCase)) {
        PlannedRow planned;
        planned.row = row;
        rows.push_back(planned);
    }
    ForEachIndex(rows.size(), jobs, [&](std::size_t index) {
        PlannedRow& planned = rows[index];
        if (planned.row.kind != CopyRow::Kind::kBoth) return;
        const bool sized = QueryFileSize(source[planned.row.source].path, planned.sourceSize) &&
                           QueryFileSize(copy[planned.row.copy].path, planned.copySize);
        planned.read = !sized || planned.sourceSize == planned.copySize;
    });
    return rows;
}

}  // namespace

int CompareFolders(const std::string& source, const std::string& copy, bool recursive,
                   const CliSettings& settings) {
    CommandOutput output(settings, 0);
    const PlainFileTree sourceTree = ListPlainFilesTree(source, recursive);
    if (!sourceTree.ok) {
        output.Complain(DisplayName(source), sourceTree.error);
        return kExitError;
    }
    const PlainFileTree copyTree = ListPlainFilesTree(copy, recursive);
    if (!copyTree.ok) {
        output.Complain(DisplayName(copy), copyTree.error);
        return kExitError;
    }
    for (const PlainFileTree* tree : {&sourceTree, &copyTree}) {
        for (const FolderFault& fault : tree->faults) {
            output.Complain(DisplayName(fault.path), "the folder cannot be listed: " + fault.error);
        }
    }

    CopyReport report(output, sourceTree.files, copyTree.files,
                      PlanRows(sourceTree.files, copyTree.files, settings.jobs));
    const bool printed = ReadIntoReport(report, output, settings, [](const VerifyTally& tally) {
        return tally.SummaryLine(kCompareSummary);
    });
    if (!printed) return kExitError;
    const bool faults = !sourceTree.faults.empty() || !copyTree.faults.empty();
    return faults ? kExitError : report.Tally().ExitCode();
}

}  // namespace sumbrook
