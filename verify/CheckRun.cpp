#include "verify/CheckRun.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "files/FileEntryCrc32.h"
#include "files/FolderAbsence.h"
#include "files/ListPlainFiles.h"
#include "files/ListPlainFilesTree.h"
#include "files/NameCompare.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"
#include "verify/ChecksumListFile.h"
#include "verify/CopyComparison.h"
#include "verify/ListedSizes.h"
#include "verify/NotAList.h"
#include "verify/ProtocolCheck.h"
#include "verify/ProtocolText.h"
#include "verify/ReportText.h"
#include "verify/RowReading.h"
#include "verify/RunSteps.h"
#include "verify/SfvCheck.h"
#include "verify/UnlistedCandidates.h"

namespace sumbrook {

namespace {

CheckOutcome Refused(CheckKind kind, std::string subject, std::string error) {
    CheckOutcome outcome;
    outcome.kind = kind;
    outcome.end = CheckOutcome::End::kRefused;
    outcome.subject = std::move(subject);
    outcome.error = std::move(error);
    return outcome;
}

CheckOutcome Cancelled(CheckKind kind) {
    CheckOutcome outcome;
    outcome.kind = kind;
    outcome.end = CheckOutcome::End::kCancelled;
    return outcome;
}

// The rows planned between two looks at the cancel flag.
constexpr std::size_t kRowsPerLook = 1U << 14;

void Read(RowReading& reading, const PlainFile& file) {
    reading.toRead.push_back({file.path, file.alternatePath});
    reading.bytes += file.size;
}

// Whether `listed` (relative to `folder`, '/' between folders) leads to the
// file at `path`: by name first, so that only a line of the same name costs a
// look at the file system.
bool NamesFile(const std::string& folder, std::string_view listed, const std::string& path) {
    return SameLastName(listed, path) && SameFile(PathInFolder(folder, std::string(listed)), path);
}

CheckOutcome VerifyAgainstProtocol(const std::string& listPath, const Protocol& protocol,
                                   const std::string& directory, const CheckOptions& options,
                                   CheckSink& sink, RunSteps& steps) {
    const std::string checked =
        directory.empty() ? Utf8OfProtocolText(protocol.directoryText) : directory;
    if (checked.empty()) {
        return Refused(CheckKind::kProtocol, listPath,
                       "the protocol names no directory; give one after the protocol");
    }
    steps.Start(CheckStep::kListingFolders);
    PlainFileList list = ListPlainFiles(checked);
    if (steps.Cancelled()) return Cancelled(CheckKind::kProtocol);
    if (!list.ok) {
        return Refused(CheckKind::kProtocol, checked,
                       list.error + (directory.empty() ? " (the directory named in the protocol;"
                                                         " give another after the protocol)"
                                                       : ""));
    }
    LeaveOutFile(list, listPath);
    if (options.planBytes) QueryMissingSizes(list.files, options.jobs);

    std::vector<std::string> names;
    names.reserve(list.files.size());
    for (const PlainFile& file : list.files) {
        // A name the code page cannot hold fits no line: a NUL byte never
        // stands in a protocol.
        std::string name;
        names.push_back(ProtocolTextOf(file.name, name) ? name : std::string(1, '\0') + file.name);
    }
    steps.Start(CheckStep::kPlanning);
    std::vector<PlannedRow> rows;
    bool namedItself = false;
    for (const VerifyRow& planned : PlanVerification(protocol.entries, names, kNamesFoldCase)) {
        if (rows.size() % kRowsPerLook == 0 && !steps.Went(rows.size())) {
            return Cancelled(CheckKind::kProtocol);
        }
        PlannedRow row;
        const ProtocolEntry* entry =
            planned.entry == VerifyRow::kNone ? nullptr : &protocol.entries[planned.entry];
        if (entry != nullptr) {
            row.hasExpected = true;
            row.expected = ProtocolCrc(*entry);
        }
        switch (planned.kind) {
            case VerifyRow::Kind::kListed:
            case VerifyRow::Kind::kUnlisted: {
                row.name = list.files[planned.file].name;
                RowReading& reading = row.StartReading(RowJudge::kProtocol);
                reading.protocolEntry = entry;
                reading.protocolKind = planned.kind;
                Read(reading, list.files[planned.file]);
                break;
            }
            case VerifyRow::Kind::kMissing:
                row.status = VerifyStatus::kMissing;
                row.OwnName(Utf8OfProtocolText(TrimmedNameField(entry->nameField)));
                // The protocol itself, left out of the listing above.
                if (!namedItself && NamesFile(checked, row.name, listPath)) {
                    namedItself = true;
                    sink.ListNamesItself(entry->line);
                    continue;
                }
                break;
            case VerifyRow::Kind::kAmbiguous:
                row.status = VerifyStatus::kAmbiguous;
                row.OwnName(Utf8OfProtocolText(TrimmedNameField(entry->nameField)));
                for (const std::size_t file : planned.candidates) {
                    row.More().candidates.push_back(list.files[file].name);
                }
                row.More().sameFieldLines = planned.sameFieldLines;
                break;
        }
        rows.push_back(std::move(row));
    }
    CheckOutcome outcome;
    outcome.kind = CheckKind::kProtocol;
    outcome.folder = checked;
    return ReadRows(std::move(rows), options, sink, std::move(outcome));
}

// The folders of listed files that are not there, so that their files are
// found missing without opening each (a list of many files of a folder that
// is gone costs one look at the folder).
class AbsentFolders {
  public:
    explicit AbsentFolders(const std::string& top) : top_(top) {}

    // ErrorOpeningInside for the folder of `listed` (relative, '/' between
    // folders); 0 for a file directly in the top folder.
    unsigned long ErrorOpening(std::string_view listed) {
        const std::size_t folderEnd = listed.rfind('/');
        if (folderEnd == std::string_view::npos) return 0;
        const std::string_view folder = listed.substr(0, folderEnd);
        if (folder == last_) return lastError_;
        last_.assign(folder);
        const auto [known, added] = errors_.try_emplace(last_, 0);
        if (added) known->second = ErrorOpeningInside(PathInFolder(top_, last_));
        lastError_ = known->second;
        return lastError_;
    }

  private:
    const std::string& top_;
    std::unordered_map<std::string, unsigned long> errors_;
    std::string last_ = std::string(1, '\0');  // no folder's name
    unsigned long lastError_ = 0;
};

CheckOutcome VerifyAgainstSfv(const std::string& listPath, std::vector<SfvEntry> entries,
                              NameStore& names, const std::string& directory,
                              const CheckOptions& options, CheckSink& sink, RunSteps& steps) {
    // The rows take their names from `entries` and the listing below, which
    // both last until the reading is done.
    steps.Start(CheckStep::kPlanning);
    SfvPlan plan = PlanSfvVerification(entries, names, kNamesFoldCase, options.cancel);
    if (plan.cancelled) return Cancelled(CheckKind::kSfv);
    if (!plan.ok) {
        return Refused(CheckKind::kSfv, listPath, LineFault(plan.line, plan.error));
    }
    const std::string checked = directory.empty() ? FolderOf(listPath) : directory;
    steps.Start(CheckStep::kListingFolders);
    const ListingControl listing = steps.Listing();
    PlainFileTree top = ListPlainFilesTree(checked, options.recursive, &listing);
    if (top.cancelled) return Cancelled(CheckKind::kSfv);
    if (!top.ok) return Refused(CheckKind::kSfv, checked, top.error);
    CheckOutcome outcome;
    outcome.kind = CheckKind::kSfv;
    outcome.folder = checked;
    const ListingControl more = steps.Listing(top.files.size());
    std::vector<PlainFile> files =
        CandidateFiles(top, checked, plan.folders, options.recursive, &more);
    if (top.cancelled) return Cancelled(CheckKind::kSfv);
    for (const FolderFault& fault : top.faults) {
        sink.FolderNotListed(fault.path, fault.error);
        ++outcome.foldersNotListed;
    }
    LeaveOutFile(files, listPath);
    AddUnlistedFiles(plan, entries, files, kNamesFoldCase);
    if (options.planBytes) QueryMissingSizes(files, options.jobs);
    // The sizes of the listed files, as far as the listings saw them.
    std::unordered_map<std::string, std::uint64_t> sizes;
    sizes.reserve(files.size());
    for (const PlainFile& file : files) sizes.emplace(NameKey(file.name), file.size);

    steps.Start(CheckStep::kPlanning);
    std::vector<PlannedRow> rows;
    rows.reserve(plan.rows.size());
    bool namedItself = false;
    AbsentFolders absentFolders(checked);
    for (const SfvRow& planned : plan.rows) {
        if (rows.size() % kRowsPerLook == 0 && !steps.Went(rows.size())) {
            return Cancelled(CheckKind::kSfv);
        }
        const std::string_view path = SfvRowPath(planned, entries, files);
        if (!namedItself && planned.kind != SfvRow::Kind::kUnlisted &&
            planned.kind != SfvRow::Kind::kNotHeld && NamesFile(checked, path, listPath)) {
            namedItself = true;
            sink.ListNamesItself(entries[planned.entry].line);
            continue;
        }
        PlannedRow row;
        row.name = path;
        switch (planned.kind) {
            case SfvRow::Kind::kListed: {
                row.hasExpected = true;
                row.expected = entries[planned.entry].crc;
                const unsigned long notThere = absentFolders.ErrorOpening(path);
                if (notThere != 0) {
                    // As opening it would find (a MISSING row tells no
                    // failure beside).
                    row.status = VerifyStatus::kMissing;
                    break;
                }
                RowReading& reading = row.StartReading(RowJudge::kSfvListed);
                reading.toRead.push_back({PathInFolder(checked, std::string(path)), ""});
                const auto size = sizes.find(NameKey(path));
                if (size != sizes.end()) reading.bytes = size->second;
                break;
            }
            case SfvRow::Kind::kDuplicate:
                row.status = VerifyStatus::kDuplicate;
                row.More().lines.push_back(entries[planned.entry].line);
                for (const std::size_t entry : plan.details[planned.detail].laterEntries) {
                    row.More().lines.push_back(entries[entry].line);
                }
                break;
            case SfvRow::Kind::kNotHeld:
                row.status = VerifyStatus::kUnreadable;
                row.More().notHeld = std::move(plan.details[planned.detail].reason);
                row.More().lines.push_back(entries[planned.entry].line);
                break;
            case SfvRow::Kind::kUnlisted:
                Read(row.StartReading(RowJudge::kSfvUnlisted), files[planned.file]);
                break;
        }
        rows.push_back(std::move(row));
    }
    std::vector<SfvRow>().swap(plan.rows);
    return ReadRows(std::move(rows), options, sink, std::move(outcome));
}

}  // namespace

CheckOptions RunOptions(unsigned jobs, bool recursive, bool uncached) {
    CheckOptions options;
    options.jobs = jobs == 0 ? DefaultJobCount() : jobs;
    options.recursive = recursive;
    options.uncached = uncached;
    return options;
}

CheckOutcome VerifyList(const std::string& listPath, const std::string& directory,
                        const CheckOptions& options, CheckSink& sink) {
    // A device would be opened and waited on; a folder is no list either.
    const std::string notAList = WhyNotAList(listPath);
    if (!notAList.empty()) return Refused(CheckKind::kSfv, listPath, notAList);
    RunSteps steps(options, sink);
    steps.Start(CheckStep::kReadingList);
    ChecksumListFile list =
        ReadChecksumListFile(listPath, [&steps](std::size_t lines) { return steps.Went(lines); });
    if (list.cancelled) return Cancelled(CheckKind::kSfv);
    const CheckKind kind =
        list.kind == ChecksumListFile::Kind::kProtocol ? CheckKind::kProtocol : CheckKind::kSfv;
    if (!list.ok) return Refused(kind, listPath, list.error);
    if (kind == CheckKind::kSfv ? list.sfvEntries.empty() : list.protocol.entries.empty()) {
        CheckOutcome outcome = Refused(kind, listPath, "names no files; nothing was checked");
        outcome.errorFollowsSubject = true;
        return outcome;
    }
    if (kind == CheckKind::kSfv) {
        return VerifyAgainstSfv(listPath, std::move(list.sfvEntries), list.sfvNames, directory,
                                options, sink, steps);
    }
    if (options.recursive) {
        return Refused(kind, listPath,
                       std::string("a protocol lists the files of one directory; ") +
                           options.recursiveName + " is for SFV lists");
    }
    return VerifyAgainstProtocol(listPath, list.protocol, directory, options, sink, steps);
}

CheckOutcome CompareCopy(const std::string& source, const std::string& copy,
                         const CheckOptions& options, CheckSink& sink) {
    RunSteps steps(options, sink);
    steps.Start(CheckStep::kListingFolders);
    const ListingControl listing = steps.Listing();
    PlainFileTree sourceTree = ListPlainFilesTree(source, options.recursive, &listing);
    if (sourceTree.cancelled) return Cancelled(CheckKind::kCopy);
    if (!sourceTree.ok) return Refused(CheckKind::kCopy, source, sourceTree.error);
    const ListingControl more = steps.Listing(sourceTree.files.size());
    PlainFileTree copyTree = ListPlainFilesTree(copy, options.recursive, &more);
    if (copyTree.cancelled) return Cancelled(CheckKind::kCopy);
    if (!copyTree.ok) return Refused(CheckKind::kCopy, copy, copyTree.error);
    if (options.planBytes) {
        QueryMissingSizes(sourceTree.files, options.jobs);
        QueryMissingSizes(copyTree.files, options.jobs);
    }
    CheckOutcome outcome;
    outcome.kind = CheckKind::kCopy;
    outcome.folder = copy;
    for (const PlainFileTree* tree : {&sourceTree, &copyTree}) {
        for (const FolderFault& fault : tree->faults) {
            sink.FolderNotListed(fault.path, fault.error);
            ++outcome.foldersNotListed;
        }
    }
    const std::vector<PlainFile>& sources = sourceTree.files;
    const std::vector<PlainFile>& copies = copyTree.files;
    steps.Start(CheckStep::kPlanning);
    std::vector<PlannedRow> rows;
    for (const CopyRow& planned : PlanCopyComparison(sources, copies, kNamesFoldCase)) {
        if (rows.size() % kRowsPerLook == 0 && !steps.Went(rows.size())) {
            return Cancelled(CheckKind::kCopy);
        }
        PlannedRow row;
        switch (planned.kind) {
            case CopyRow::Kind::kSourceOnly:
                row.status = VerifyStatus::kMissing;
                row.name = sources[planned.source].name;
                break;
            case CopyRow::Kind::kCopyOnly:
                row.status = VerifyStatus::kNew;
                row.name = copies[planned.copy].name;
                break;
            case CopyRow::Kind::kBoth: {
                const PlainFile& from = sources[planned.source];
                const PlainFile& to = copies[planned.copy];
                row.name = from.name;
                // Files the listings already tell apart by size are not read;
                // files of unknown sizes are opened together and not read
                // either when their sizes differ (ChecksumCopyPair).
                if (from.sized && to.sized && from.size != to.size) {
                    row.status = VerifyStatus::kDifferent;
                    row.More().sizesCompared = true;
                    row.More().expectedSize = from.size;
                    row.More().foundSize = to.size;
                    break;
                }
                RowReading& reading = row.StartReading(RowJudge::kCopy);
                Read(reading, from);
                Read(reading, to);
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    return ReadRows(std::move(rows), options, sink, std::move(outcome));
}

}  // namespace sumbrook
