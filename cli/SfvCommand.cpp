#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/ListOutput.h"
#include "cli/PrintingSink.h"
#include "files/ReadFailure.h"
#include "lists/SfvWriter.h"
#include "verify/CheckRun.h"
#include "verify/DisplayName.h"
#include "verify/RunNotices.h"
#include "verify/SfvListMaking.h"

namespace sumbrook {

namespace {

// Says on standard error what is left out of the list, and writes the list
// to standard output as its lines come when it goes there: the header once
// the folder is listed, then a line per file read.
class ListPrinter : public PrintingSink {
  public:
    ListPrinter(CommandOutput& output, const CliSettings& settings, bool toStandardOutput)
        : PrintingSink(output), settings_(settings), toStandardOutput_(toStandardOutput) {}

    void Planned(const CheckPlan& plan) override {
        PrintingSink::Planned(plan);
        when_ = NewListTime(Output());
        for (const std::string& line : SfvHeaderLines(kProgram, settings_.version, when_)) {
            Emit(line);
        }
    }
    void Row(const CheckRow& row) override {
        if (row.status == VerifyStatus::kOk) {
            Emit(SfvEntryLine(row.name, row.found));
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
        written_ = Output().Write(line) && Output().Write(kSfvLineEnd) && written_;
    }

    const CliSettings& settings_;
    bool toStandardOutput_;
    bool written_ = true;
    LocalDateTime when_;
};

}  // namespace

int WriteDirectorySfv(const std::string& directory, bool recursive, const std::string& outputPath,
                      const CliSettings& settings) {
    CommandOutput output(settings, 0);
    const bool toStandardOutput = outputPath.empty();
    ListPrinter printer(output, settings, toStandardOutput);
    CheckOptions options = RunOptions(settings.jobs, recursive, false);
    options.planBytes = false;
    // An earlier list at the output path is about to be replaced; a list
    // written to a file by standard output is being written.
    std::vector<std::string> lines;
    const CheckOutcome made =
        MakeSfvList(directory, {ListBeingWritten(outputPath)}, options, printer, lines);
    if (made.end == CheckOutcome::End::kRefused) {
        output.Complain(RefusalText(made));
        return ExitCodeOf(made);
    }
    const std::string listText =
        toStandardOutput
            ? std::string()
            : SfvListText(ListPrinter::kProgram, settings.version, printer.When(), lines);
    const std::size_t leftOut = made.counts.Count(VerifyStatus::kUnreadable);
    const bool written = FinishWrittenList(
        output, printer.Written(), {outputPath, listText, "list"}, directory, leftOut, "listed");
    return written ? ExitCodeOf(made) : kExitError;
}

}  // namespace sumbrook
