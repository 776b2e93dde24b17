#include "verify/SfvListMaking.h"

#include "files/ListPlainFilesTree.h"
#include "lists/ListedPath.h"
#include "lists/SfvWriter.h"
#include "verify/ListedSizes.h"
#include "verify/RowReading.h"

namespace sumbrook {

namespace {

// Keeps the lines of the files read, and passes every call on.
class LineCollector : public CheckSink {
  public:
    LineCollector(CheckSink& sink, const ListFormatDescriptor& format,
                  std::vector<std::string>& lines, std::size_t& leftOut)
        : sink_(sink), format_(format), lines_(lines), leftOut_(leftOut) {}
    void Planned(const CheckPlan& plan) override { sink_.Planned(plan); }
    void Row(const CheckRow& row) override {
        if (row.status == VerifyStatus::kOk) {
            lines_.push_back(format_.entryLine(row.name, row.found));
        } else {
            ++leftOut_;
        }
        sink_.Row(row);
    }
    void Progressed(const CheckProgress& progress) override { sink_.Progressed(progress); }

  private:
    CheckSink& sink_;
    const ListFormatDescriptor& format_;
    std::vector<std::string>& lines_;
    std::size_t& leftOut_;
};

}  // namespace

SfvListOutcome MakeSfvList(const std::string& directory, const std::vector<FileIdentity>& leaveOut,
                           const CheckOptions& options, CheckSink& sink) {
    return MakeList(directory, leaveOut, options, sink, ListFormat::kSfv);
}

SfvListOutcome MakeList(const std::string& directory, const std::vector<FileIdentity>& leaveOut,
                        const CheckOptions& options, CheckSink& sink, ListFormat format) {
    const ListFormatDescriptor& written = DescriptorOf(format);
    // A name must read back as the same path: in SFV '\\' separates folders;
    // in the other formats it is part of a name of a file that is there (on
    // POSIX, where a name can hold one: see VerifyList).
    const auto nameFault = [&written](std::string_view path) {
        if (written.format == ListFormat::kSfv) return ListPathFault(written, path);
        std::string fault = written.nameFault(path);
        if (!fault.empty()) return fault;
        const ListedPath read =
            ResolveListedPath(path, kThisPathSystem, written.controlBytes, false);
        if (!read.ok) return read.error;
        return JoinListedPath(read.components, '/') == path
                   ? std::string()
                   : std::string("a list would read the name as another one");
    };
    SfvListOutcome outcome;
    PlainFileTree tree = ListPlainFilesTree(directory, options.recursive);
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
            ++outcome.filesLeftOut;
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
    LineCollector collector(sink, written, outcome.lines, outcome.filesLeftOut);
    outcome.end = ReadRows(std::move(rows), DigestStore(), reading, collector, CheckOutcome()).end;
    return outcome;
}

}  // namespace sumbrook
