#include "cli/ChecksumListFile.h"
#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/DisplayName.h"
#include "cli/ParallelChecksum.h"
#include "cli/ProtocolText.h"
#include "cli/ReportRun.h"
#include "cli/SfvVerifyCommand.h"
#include "cli/Verify.h"
#include "crc/Crc32.h"
#include "files/ListPlainFiles.h"
#include "files/NameCompare.h"
#include "files/ReadFailure.h"
#include "lists/ProtocolReader.h"

namespace sumbrook {

namespace {

std::string JoinNames(const std::vector<std::size_t>& files, const PlainFileList& list) {
    std::string names;
    for (const std::size_t file : files) {
        if (!names.empty()) names += ", ";
        names += DisplayName(list.files[file].name);
    }
    return names;
}

// Prints the report row by row as the checksums come in.
class VerifyReport {
  public:
    VerifyReport(CommandOutput& output, const Protocol& protocol, const PlainFileList& list,
                 std::vector<VerifyRow> rows)
        : output_(output), protocol_(protocol), list_(list), rows_(std::move(rows)) {}

    // The files to read, in the order their rows come.
    std::vector<FileToRead> FilesToRead() const {
        std::vector<FileToRead> files;
        for (const VerifyRow& row : rows_) {
            if (row.file == VerifyRow::kNone) continue;
            const PlainFile& file = list_.files[row.file];
            files.push_back({file.path, file.alternatePath});
        }
        return files;
    }

    // The checksum of the next file to read has come: prints the rows up to
    // and including that file's.
    void FileRead(const FileChecksum& checksum) {
        tally_.AddRead(checksum);
        PrintRowsWithoutFile();
        if (next_ < rows_.size()) PrintRow(rows_[next_++], &checksum);
    }

    // Prints the rows left, which have no file to read.
    void Finish() { PrintRowsWithoutFile(); }

    const VerifyTally& Tally() const { return tally_; }

  private:
    void PrintRowsWithoutFile() {
        while (next_ < rows_.size() && rows_[next_].file == VerifyRow::kNone) {
            PrintRow(rows_[next_++], nullptr);
        }
    }

    void PrintRow(const VerifyRow& row, const FileChecksum* checksum) {
        const ProtocolEntry* entry =
            row.entry == VerifyRow::kNone ? nullptr : &protocol_.entries[row.entry];
        const FileChecksum none;
        const VerifyStatus status = JudgeRow(row, entry, checksum != nullptr ? *checksum : none);
        tally_.Add(status);
        const std::string name = row.file != VerifyRow::kNone
                                     ? DisplayName(list_.files[row.file].name)
                                     : Utf8OfProtocolText(TrimmedNameField(entry->nameField));
        std::string detail;
        switch (status) {
            case VerifyStatus::kChanged:
                detail = entry->crcText + " -> " + Crc32Text(checksum->crc);
                break;
            case VerifyStatus::kNew:
                detail = Crc32Text(checksum->crc);
                break;
            case VerifyStatus::kUnreadable:
                detail = ReadFailureText(*checksum);
                break;
            case VerifyStatus::kAmbiguous:
                detail = "fits " + std::to_string(row.candidates.size()) +
                         (row.candidates.size() == 1 ? " file: " : " files: ") +
                         JoinNames(row.candidates, list_);
                if (row.sameFieldLines > 1) {
                    detail += "; " + std::to_string(row.sameFieldLines) +
                              " lines of the protocol have this name field";
                }
                break;
            case VerifyStatus::kOk:
            case VerifyStatus::kMissing:
            case VerifyStatus::kEmpty:
            case VerifyStatus::kDuplicate:
            case VerifyStatus::kDifferent:
                break;
        }
        output_.Line(VerifyLine(status, name, detail));
    }

    CommandOutput& output_;
    const Protocol& protocol_;
    const PlainFileList& list_;
    std::vector<VerifyRow> rows_;
    std::size_t next_ = 0;
    VerifyTally tally_;
};

int VerifyAgainstProtocol(const std::string& protocolPath, const Protocol& protocol,
                          const std::string& directory, const CliSettings& settings) {
    CommandOutput output(settings, 0);
    const std::string checked =
        directory.empty() ? Utf8OfProtocolText(protocol.directoryText) : directory;
    if (checked.empty()) {
        output.Complain(DisplayName(protocolPath),
                        "the protocol names no directory; give one after the protocol");
        return kExitError;
    }
    PlainFileList list = ListPlainFiles(checked);
    if (!list.ok) {
        output.Complain(DisplayName(checked),
                        list.error + (directory.empty() ? " (the directory named in the protocol;"
                                                          " give another after the protocol)"
                                                        : ""));
        return kExitError;
    }

    LeaveOutFile(list, protocolPath);

    std::vector<std::string> names;
    names.reserve(list.files.size());
    for (const PlainFile& file : list.files) {
        // A name the code page cannot hold fits no line: a NUL byte never
        // stands in a protocol.
        std::string name;
        names.push_back(ProtocolTextOf(file.name, name) ? name : std::string(1, '\0') + file.name);
    }
    VerifyReport report(output, protocol, list,
                        PlanVerification(protocol.entries, names, kNamesFoldCase));
    const bool printed = ReadIntoReport(
        report, output, settings, [](const VerifyTally& tally) { return tally.SummaryLine(); });
    if (!printed) return kExitError;
    return report.Tally().ExitCode();
}

}  // namespace

int VerifyDirectory(const std::string& listPath, const std::string& directory, bool recursive,
                    const CliSettings& settings) {
    ChecksumListFile list = ReadChecksumListFile(listPath);
    if (!list.ok) {
        CommandOutput(settings, 0).Complain(DisplayName(listPath), list.error);
        return kExitError;
    }
    if (list.kind == ChecksumListFile::Kind::kSfv) {
        return VerifyAgainstSfv(listPath, list.sfvEntries, directory, recursive, settings);
    }
    if (recursive) {
        CommandOutput(settings, 0)
            .Complain(DisplayName(listPath),
                      "a protocol lists the files of one directory; --recursive is for SFV lists");
        return kExitError;
    }
    return VerifyAgainstProtocol(listPath, list.protocol, directory, settings);
}

}  // namespace sumbrook
