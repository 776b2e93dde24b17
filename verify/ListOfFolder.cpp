#include "verify/ListOfFolder.h"

#include "lists/SumLine.h"

#include "files/ListPlainFilesTree.h"
#include "lists/ListedPath.h"
#include "verify/ListedSizes.h"
#include "verify/RowReading.h"
#include "verify/RunSteps.h"

namespace sumbrook {

namespace {

// Keeps the lines of the files read, and passes every call on.
class LineCollector : public CheckSink {
  public:
    LineCollector(CheckSink& sink, const ListFormatDescriptor& format,
                  std::vector<std::string>& lines)
        : sink_(sink), format_(format), lines_(lines) {}
    void Stepped(CheckStep step, std::size_t done) override { sink_.Stepped(step, done); }
    void Planned(const CheckPlan& plan) override { sink_.Planned(plan); }
    void Row(const CheckRow& row) override {
        if (row.status == VerifyStatus::kOk) {
            lines_.push_back(format_.entryLine(row.name, row.found));
        }
        sink_.Row(row);
    }
    void Progressed(const CheckProgress& progress) override { sink_.Progressed(progress); }

  private:
    CheckSink& sink_;
    const ListFormatDescriptor& format_;
    std::vector<std::string>& lines_;
};

}  // namespace

CheckOutcome MakeList(const std::string& directory, const std::vector<FileIdentity>& leaveOut,
                      const CheckOptions& options, CheckSink& sink, ListFormat format,
                      std::vector<std::string>& lines) {
    const ListFormatDescriptor& written = DescriptorOf(format);
    // A name must read back as the same path: in SFV '\\' separates folders;
    // in the other formats it is part of a name of a file that is there (on
    // POSIX, where a name can hold one: see VerifyList).
    const DigestKind kind = options.algorithm.value_or(DigestKind::kCrc32);
    const auto nameFault = [&written, kind](std::string_view path) {
        if (written.format == ListFormat::kSfv) return ListPathFault(written, path);
        std::string fault = SumNameFaultOf(path, kind);
        if (!fault.empty()) return fault;
        const ListedPath read =
            ResolveListedPath(path, kThisPathSystem, written.controlBytes, false);
        if (!read.ok) return read.error;
        return JoinListedPath(read.components, '/') == path
                   ? std::string()
                   : std::string("a list would read the name as another one");
    };
    CheckOutcome outcome;
    outcome.kind = CheckKind::kList;
    outcome.folder = directory;
    RunSteps steps(options, sink);
    steps.Start(CheckStep::kListingFolders);
    const ListingControl control = steps.Listing();
    PlainFileTree tree = ListPlainFilesTree(directory, options.recursive, &control);
    if (tree.cancelled) {
        outcome.end = CheckOutcome::End::kCancelled;
        return outcome;
    }
    if (!tree.ok) {
        outcome.end = CheckOutcome::End::kRefused;
        outcome.subject = directory;
        outcome.error = tree.error;
        return outcome;
    }
    for (const FolderFault& fault : tree.faults) {
        sink.FolderNotListed(fault.path, fault.error);
        ++outcome.foldersNotListed;
    }
    for (const BrokenLink& link : tree.brokenLinks) sink.LinkLeftOut(link.path, link.error);
    LeaveOutFiles(tree.files, leaveOut);
    if (options.planBytes) QueryMissingSizes(tree.files, options.jobs);

    std::vector<PlannedRow> rows;
    rows.reserve(tree.files.size());
    for (const PlainFile& file : tree.files) {
        const std::string fault = nameFault(file.name);
        if (!fault.empty()) {
            CheckRow refused;
            refused.status = VerifyStatus::kUnreadable;
            refused.name = file.name;
            refused.nameFault = fault;
            refused.failedPath = file.path;
            outcome.counts.Add(refused);
            sink.Row(refused);
            continue;
        }
        PlannedRow row;
        row.name = file.name;
        RowReading& listing =
            row.StartReading(RowJudge::kListing, options.algorithm.value_or(DigestKind::kCrc32));
        listing.toRead.push_back({file.path, file.alternatePath});
        listing.bytes = file.size;
        rows.push_back(std::move(row));
    }
    CheckOptions reading = options;
    reading.only = nullptr;
    LineCollector collector(sink, written, lines);
    return ReadRows(std::move(rows), DigestStore(), reading, collector, std::move(outcome));
}

}  // namespace sumbrook
