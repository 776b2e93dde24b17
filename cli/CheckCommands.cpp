// --verify and --compare: the checks of verify/, printed as they come.
#include <string>
#include <utility>

#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/PrintingSink.h"
#include "verify/CheckRun.h"
#include "verify/ReportText.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

// Prints each row as its report line, the folders that could not be listed
// on standard error, and the progress line.
class ReportPrinter : public PrintingSink {
  public:
    // `listPath`: the list checked, "" for a comparison of copies.
    ReportPrinter(CommandOutput& output, std::string listPath)
        : PrintingSink(output), listPath_(std::move(listPath)) {}

    void Row(const CheckRow& row) override { Output().Line(ReportLine(row)); }
    void ListNamesItself(std::size_t line) override {
        Output().Complain(ListNamesItselfText(listPath_, line));
    }
    void ListFoundAs(const std::string& name) override {
        Output().Complain(ListFoundAsText(listPath_, name));
    }

  private:
    std::string listPath_;
};

CheckOptions OptionsOf(const CliSettings& settings, bool recursive) {
    CheckOptions options = RunOptions(settings.jobs, recursive, settings.uncached);
    options.planBytes = false;
    options.algorithm = settings.algorithm;
    options.ignoreMissing = settings.ignoreMissing;
    options.signature = settings.signature;
    return options;
}

// The summary line and the exit code of a check that ran, or its refusal.
int Finish(CommandOutput& output, const CheckOutcome& outcome) {
    if (outcome.end == CheckOutcome::End::kRefused) {
        output.Complain(RefusalText(outcome));
        return ExitCodeOf(outcome);
    }
    output.Line(SummaryWithNotesLine(outcome));
    if (!output.Finish()) {
        output.ComplainOutputLost();
        return kExitError;
    }
    return ExitCodeOf(outcome);
}

}  // namespace

int VerifyDirectory(const std::string& listPath, const std::string& directory, bool recursive,
                    const CliSettings& settings) {
    CommandOutput output(settings, 0);
    ReportPrinter printer(output, listPath);
    return Finish(output, VerifyList(listPath, directory, OptionsOf(settings, recursive), printer));
}

int CompareFolders(const std::string& source, const std::string& copy, bool recursive,
                   const CliSettings& settings) {
    CommandOutput output(settings, 0);
    ReportPrinter printer(output, "");
    return Finish(output, CompareCopy(source, copy, OptionsOf(settings, recursive), printer));
}

}  // namespace sumbrook
