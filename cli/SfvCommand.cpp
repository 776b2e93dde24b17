#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/ListHeaderTime.h"
#include "cli/ListOutput.h"
#include "cli/PrintingSink.h"
#include "files/ReadFailure.h"
#include "lists/SfvWriter.h"
#include "verify/DisplayName.h"
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
        header_ = SfvHeaderLines("sumbrook-cli", settings_.version, ListHeaderTime(settings_.err));
        for (const std::string& line : header_) Emit(line);
    }
    void Row(const CheckRow& row) override {
        if (row.status == VerifyStatus::kOk) {
            Emit(SfvEntryLine(row.name, row.found.Crc32()));
        } else if (!row.nameFault.empty()) {
            Output().Complain(DisplayName(row.failedPath), "cannot be listed: " + row.nameFault);
        } else {
            Output().Complain(DisplayName(row.failedPath), ReadFailureText(row.failure));
        }
    }

    bool Written() const { return written_; }
    const std::vector<std::string>& Header() const { return header_; }

  private:
    void Emit(const std::string& line) {
        if (!toStandardOutput_) return;
        written_ = Output().Write(line) && Output().Write(kSfvLineEnd) && written_;
    }

    const CliSettings& settings_;
    bool toStandardOutput_;
    bool written_ = true;
    std::vector<std::string> header_;
};

}  // namespace

int WriteDirectorySfv(const std::string& directory, bool recursive, const std::string& outputPath,
                      const CliSettings& settings) {
    CommandOutput output(settings, 0);
    const bool toStandardOutput = outputPath.empty();
    ListPrinter printer(output, settings, toStandardOutput);
    CheckOptions options;
    options.jobs = settings.jobs;
    options.recursive = recursive;
    options.planBytes = false;
    // An earlier list at the output path is about to be replaced; a list
    // written to a file by standard output is being written.
    const SfvListOutcome made =
        MakeSfvList(directory, {ListBeingWritten(outputPath)}, options, printer);
    if (made.end == CheckOutcome::End::kRefused) {
        output.Complain(DisplayName(made.subject), made.error);
        return kExitError;
    }
    std::string listText;
    if (!toStandardOutput) {
        for (const std::string& line : printer.Header()) listText.append(line).append(kSfvLineEnd);
        for (const std::string& line : made.lines) listText.append(line).append(kSfvLineEnd);
    }
    const bool written =
        FinishWrittenList(output, printer.Written(), {outputPath, listText, "list"}, directory,
                          made.filesLeftOut, "listed");
    return written && made.filesLeftOut == 0 && made.foldersNotListed == 0 ? kExitOk : kExitError;
}

}  // namespace sumbrook
