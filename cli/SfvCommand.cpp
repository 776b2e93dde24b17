#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/ListOutput.h"
#include "cli/PrintingSink.h"
#include "files/ReadFailure.h"
#include "lists/ListFormat.h"
#include "lists/ListText.h"
#include "lists/SfvWriter.h"
#include "verify/CheckRun.h"
#include "verify/DisplayName.h"
#include "verify/ListOfFolder.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

// Says on standard error what is left out of the list, and writes the list
// to standard output as its lines come when it goes there: the header once
// the folder is listed, then a line per file read.
class ListPrinter : public PrintingSink {
  public:
    ListPrinter(CommandOutput& output, const CliSettings& settings,
                const ListFormatDescriptor& format, bool toStandardOutput)
        : PrintingSink(output),
          settings_(settings),
          format_(format),
          toStandardOutput_(toStandardOutput) {}

    void Planned(const CheckPlan& plan) override {
        PrintingSink::Planned(plan);
        when_ = NewListTime(Output());
        for (const std::string& line : format_.headerLines(kProgram, settings_.version, when_)) {
            Emit(line);
        }
    }
    void Row(const CheckRow& row) override {
        if (row.status == VerifyStatus::kOk) {
            Emit(format_.entryLine(row.name, row.found));
        } else if (!row.nameFault.empty()) {
            Output().Complain(DisplayName(row.failedPath), "cannot be listed: " + row.nameFault);
        } else {
            Output().Complain(DisplayName(row.failedPath), ReadFailureText(row.failure));
        }
    }

    static constexpr char kProgram[] = "sumbrook-cli";
    bool Written() const { return written_; }
    // The time the header names.
    const LocalDateTime& When() const { return when_; }

  private:
    void Emit(const std::string& line) {
        if (!toStandardOutput_) return;
        written_ = Output().Write(line) && Output().Write(format_.lineEnd) && written_;
    }

    const CliSettings& settings_;
    const ListFormatDescriptor& format_;
    bool toStandardOutput_;
    bool written_ = true;
    LocalDateTime when_;
};

// A list of `format` of the files of `directory`, their digests of `kind`.
int WriteDirectoryListOf(const std::string& directory, bool recursive,
                         const std::string& outputPath, const CliSettings& settings,
                         ListFormat format, DigestKind kind) {
    CommandOutput output(settings, 0);
    const bool toStandardOutput = outputPath.empty();
    const ListFormatDescriptor& written = DescriptorOf(format);
    ListPrinter printer(output, settings, written, toStandardOutput);
    CheckOptions options = RunOptions(settings.jobs, recursive, false);
    options.planBytes = false;
    options.algorithm = kind;
    // An earlier list at the output path is about to be replaced; a list
    // written to a file by standard output is being written.
    std::vector<std::string> lines;
    const CheckOutcome made =
        MakeList(directory, {ListBeingWritten(outputPath)}, options, printer, format, lines);
    if (made.end == CheckOutcome::End::kRefused) {
        output.Complain(RefusalText(made));
        return ExitCodeOf(made);
    }
    const std::string listText =
        toStandardOutput
            ? std::string()
            : ListText(format, ListPrinter::kProgram, settings.version, printer.When(), lines);
    const std::size_t leftOut = made.counts.Count(VerifyStatus::kUnreadable);
    const bool finished = FinishWrittenList(
        output, printer.Written(), {outputPath, listText, "list"}, directory, leftOut, "listed");
    return finished ? ExitCodeOf(made) : kExitError;
}

}  // namespace

int WriteDirectorySfv(const std::string& directory, bool recursive, const std::string& outputPath,
                      const CliSettings& settings) {
    return WriteDirectoryListOf(directory, recursive, outputPath, settings, ListFormat::kSfv,
                                DigestKind::kCrc32);
}

int WriteDirectoryList(const std::string& directory, bool recursive, const std::string& outputPath,
                       const CliSettings& settings) {
    return WriteDirectoryListOf(directory, recursive, outputPath, settings,
                                settings.tag ? ListFormat::kTag : ListFormat::kSum,
                                settings.algorithm.value_or(DigestKind::kSha256));
}

}  // namespace sumbrook
