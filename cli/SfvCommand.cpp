#include "cli/CommandOutput.h"
#include "cli/Commands.h"
#include "cli/ListHeaderTime.h"
#include "cli/ListOutput.h"
#include "cli/PrintingSink.h"
#include "files/ReadFailure.h"
#include "lists/ListFormat.h"
#include "verify/DisplayName.h"
#include "verify/SfvListMaking.h"

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
        header_ =
            format_.headerLines("sumbrook-cli", settings_.version, ListHeaderTime(settings_.err));
        for (const std::string& line : header_) Emit(line);
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

    bool Written() const { return written_; }
    const std::vector<std::string>& Header() const { return header_; }

  private:
    void Emit(const std::string& line) {
        if (!toStandardOutput_) return;
        written_ = Output().Write(line) && Output().Write(format_.lineEnd) && written_;
    }

    const CliSettings& settings_;
    const ListFormatDescriptor& format_;
    bool toStandardOutput_;
    bool written_ = true;
    std::vector<std::string> header_;
};

// A list of `format` of the files of `directory`, their digests of `kind`.
int WriteDirectoryListOf(const std::string& directory, bool recursive,
                         const std::string& outputPath, const CliSettings& settings,
                         ListFormat format, DigestKind kind) {
    CommandOutput output(settings, 0);
    const bool toStandardOutput = outputPath.empty();
    const ListFormatDescriptor& written = DescriptorOf(format);
    ListPrinter printer(output, settings, written, toStandardOutput);
    CheckOptions options;
    options.jobs = settings.jobs;
    options.recursive = recursive;
    options.planBytes = false;
    options.algorithm = kind;
    // An earlier list at the output path is about to be replaced; a list
    // written to a file by standard output is being written.
    const SfvListOutcome made =
        MakeList(directory, {ListBeingWritten(outputPath)}, options, printer, format);
    if (made.end == CheckOutcome::End::kRefused) {
        output.Complain(DisplayName(made.subject), made.error);
        return kExitError;
    }
    std::string listText;
    if (!toStandardOutput) {
        for (const std::string& line : printer.Header()) {
            listText.append(line).append(written.lineEnd);
        }
        for (const std::string& line : made.lines) listText.append(line).append(written.lineEnd);
    }
    const bool finished =
        FinishWrittenList(output, printer.Written(), {outputPath, listText, "list"}, directory,
                          made.filesLeftOut, "listed");
    return finished && made.filesLeftOut == 0 && made.foldersNotListed == 0 ? kExitOk : kExitError;
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
