#include <cerrno>
#include <cstring>

#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/DisplayName.h"
#include "cli/ParallelChecksum.h"
#include "cli/ProtocolText.h"
#include "cli/Verify.h"
#include "crc/Crc32.h"
#include "files/ListPlainFiles.h"
#include "files/ReadFailure.h"
#include "lists/ProtocolReader.h"
#include "platform/StdioFile.h"

namespace sumbrook {

namespace {

// A protocol lists about 44 bytes per file; anything near this is no protocol.
constexpr std::size_t kLargestProtocol = 256U << 20;

#ifdef _WIN32
constexpr bool kFoldCase = true;  // the file system does not tell the cases apart
#else
constexpr bool kFoldCase = false;
#endif

// The whole file at `path` into `text`; empty when that worked, else why not.
std::string ReadWholeFile(const std::string& path, std::string& text) {
    const ScopedStdioFile file = OpenStdioFile(path, "rb");
    if (!file.IsValid()) return std::strerror(errno);
    char block[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file.Get())) > 0) {
        text.append(block, got);
        if (text.size() > kLargestProtocol) break;
    }
    const bool failed = std::ferror(file.Get()) != 0;
    const int readError = errno;
    if (failed) return std::strerror(readError);
    if (text.size() > kLargestProtocol) return "too large to be a protocol";
    return {};
}

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

}  // namespace

int VerifyDirectory(const std::string& protocolPath, const std::string& directory,
                    const CliSettings& settings) {
    CommandOutput output(settings, 0);
    std::string text;
    const std::string readFault = ReadWholeFile(protocolPath, text);
    if (!readFault.empty()) {
        output.Complain(DisplayName(protocolPath), readFault);
        return kExitError;
    }
    const ProtocolReadResult read = ParseProtocol(text);
    if (!read.ok) {
        output.Complain(DisplayName(protocolPath),
                        "line " + std::to_string(read.line) + ": " + read.error);
        return kExitError;
    }
    const Protocol& protocol = read.protocol;
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
                        PlanVerification(protocol.entries, names, kFoldCase));
    const std::vector<FileToRead> files = report.FilesToRead();
    output.Meter().SetTotal(files.size());
    ChecksumInOrder(
        files, settings.jobs,
        [&](std::size_t, const FileChecksum& checksum) {
            report.FileRead(checksum);
            output.Meter().FileDone(checksum.size);
        },
        [&output] { output.Meter().Tick(); });
    report.Finish();
    output.Line(report.Tally().SummaryLine());
    if (!output.Finish()) {
        output.Complain("standard output", "cannot be written");
        return kExitError;
    }
    return report.Tally().ExitCode();
}

}  // namespace sumbrook
