#include "cli/SfvVerifyCommand.h"

#include <algorithm>

#include "cli/CommandOutput.h"
#include "cli/DisplayName.h"
#include "cli/ParallelChecksum.h"
#include "cli/ReportRun.h"
#include "cli/SfvVerify.h"
#include "crc/Crc32.h"
#include "files/ListPlainFilesTree.h"
#include "files/NameCompare.h"
#include "files/PathSeparators.h"
#include "files/ReadFailure.h"

namespace sumbrook {

namespace {

// The folder that holds the file at `path`: "." for a bare name; a root
// ("/", "C:\") or a drive's current folder ("C:") kept whole.
std::string FolderOf(const std::string& path) {
    const std::size_t separator = LastPathSeparator(path);
    if (separator == std::string::npos) return ".";
    std::string folder = path.substr(0, separator);
    if (folder.empty() || folder.back() == ':' || path[separator] == ':') {
        return path.substr(0, separator + 1);
    }
    return folder;
}

// The files that may be NEW: those of the tree (`recursive`) or of DIR, and
// those of every folder holding a listed file, each once, sorted by name.
std::vector<PlainFile> CandidateFiles(PlainFileTree& top, const std::string& directory,
                                      const std::vector<std::string>& folders, bool recursive) {
    std::vector<PlainFile> files;
    const bool topListed = std::find(folders.begin(), folders.end(), "") != folders.end();
    if (recursive || topListed) files = std::move(top.files);
    std::vector<std::string> others;
    for (const std::string& folder : folders) {
        if (!folder.empty()) others.push_back(folder);
    }
    if (others.empty()) return files;  // sorted, each once
    PlainFileTree inFolders = ListPlainFilesOfFolders(directory, others);
    for (PlainFile& file : inFolders.files) files.push_back(std::move(file));
    const auto byName = [](const PlainFile& a, const PlainFile& b) { return a.name < b.name; };
    std::stable_sort(files.begin(), files.end(), byName);
    files.erase(
        std::unique(files.begin(), files.end(),
                    [](const PlainFile& a, const PlainFile& b) { return a.name == b.name; }),
        files.end());
    return files;
}

// Prints the report row by row as the checksums come in.
class SfvReport {
  public:
    SfvReport(CommandOutput& output, const std::vector<SfvEntry>& entries,
              const std::string& directory, const std::vector<PlainFile>& files,
              std::vector<SfvRow> rows)
        : output_(output),
          entries_(entries),
          directory_(directory),
          files_(files),
          rows_(std::move(rows)) {}

    static bool IsRead(const SfvRow& row) {
        return row.kind == SfvRow::Kind::kListed || row.kind == SfvRow::Kind::kUnlisted;
    }

    // The files to read, in the order their rows come.
    std::vector<FileToRead> FilesToRead() const {
        std::vector<FileToRead> files;
        for (const SfvRow& row : rows_) {
            if (row.kind == SfvRow::Kind::kListed) {
                files.push_back({PathInFolder(directory_, row.path), ""});
            } else if (row.kind == SfvRow::Kind::kUnlisted) {
                files.push_back({files_[row.file].path, files_[row.file].alternatePath});
            }
        }
        return files;
    }

    // The checksum of the next file to read has come: prints the rows up to
    // and including that file's.
    void FileRead(const FileChecksum& checksum) {
        tally_.AddRead(checksum);
        PrintRowsWithoutFile();
        if (next_ < rows_.size()) PrintRow(rows_[next_++], checksum);
    }

    // Prints the rows left, which have no file to read.
    void Finish() { PrintRowsWithoutFile(); }

    const VerifyTally& Tally() const { return tally_; }

  private:
    void PrintRowsWithoutFile() {
        while (next_ < rows_.size() && !IsRead(rows_[next_])) {
            const SfvRow& row = rows_[next_++];
            if (row.kind == SfvRow::Kind::kNotHeld) {
                tally_.Add(VerifyStatus::kUnreadable);
                output_.Line(VerifyLine(VerifyStatus::kUnreadable, DisplayName(row.path),
                                        "line " +
                                            std::to_string(entries_[row.entries.front()].line) +
                                            ": " + row.reason));
                continue;
            }
            tally_.Add(VerifyStatus::kDuplicate);
            output_.Line(VerifyLine(VerifyStatus::kDuplicate, DisplayName(row.path),
                                    DuplicateLinesText(entries_, row)));
        }
    }

    void PrintRow(const SfvRow& row, const FileChecksum& checksum) {
        VerifyStatus status = VerifyStatus::kNew;
        std::string detail;
        if (row.kind == SfvRow::Kind::kListed) {
            const SfvEntry& entry = entries_[row.entries.front()];
            status = JudgeListedFile(entry, checksum);
            if (status == VerifyStatus::kChanged) {
                detail = Crc32Text(entry.crc) + " -> " + Crc32Text(checksum.crc);
            }
        } else if (checksum.status == FileReadStatus::kOk) {
            detail = Crc32Text(checksum.crc);
        } else {
            status = VerifyStatus::kUnreadable;
        }
        if (status == VerifyStatus::kUnreadable) detail = ReadFailureText(checksum);
        tally_.Add(status);
        output_.Line(VerifyLine(status, DisplayName(row.path), detail));
    }

    CommandOutput& output_;
    const std::vector<SfvEntry>& entries_;
    const std::string& directory_;
    const std::vector<PlainFile>& files_;
    std::vector<SfvRow> rows_;
    std::size_t next_ = 0;
    VerifyTally tally_;
};

}  // namespace

int VerifyAgainstSfv(const std::string& listPath, const std::vector<SfvEntry>& entries,
                     const std::string& directory, bool recursive, const CliSettings& settings) {
    CommandOutput output(settings, 0);
    SfvPlan plan = PlanSfvVerification(entries, kNamesFoldCase);
    if (!plan.ok) {
        output.Complain(DisplayName(listPath),
                        "line " + std::to_string(plan.line) + ": " + plan.error);
        return kExitError;
    }
    const std::string checked = directory.empty() ? FolderOf(listPath) : directory;
    PlainFileTree top = ListPlainFilesTree(checked, recursive);
    if (!top.ok) {
        output.Complain(DisplayName(checked), top.error);
        return kExitError;
    }
    for (const FolderFault& fault : top.faults) {
        output.Complain(DisplayName(fault.path), "the folder cannot be listed: " + fault.error);
    }
    std::vector<PlainFile> files = CandidateFiles(top, checked, plan.folders, recursive);
    LeaveOutFile(files, listPath);
    AddUnlistedFiles(plan, files, kNamesFoldCase);

    SfvReport report(output, entries, checked, files, std::move(plan.rows));
    const bool printed = ReadIntoReport(report, output, settings, [](const VerifyTally& tally) {
        return tally.SummaryLine(kSfvSummary);
    });
    if (!printed) return kExitError;
    return top.faults.empty() ? report.Tally().ExitCode() : kExitError;
}

}  // namespace sumbrook
