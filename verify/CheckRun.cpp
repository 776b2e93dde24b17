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
#include "files/FileSize.h"
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
#include "verify/SfvFolders.h"

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

// A list whose one line names the list itself would check nothing.
CheckOutcome NamesOnlyItself(CheckKind kind, const std::string& listPath) {
    CheckOutcome outcome =
        Refused(kind, listPath, "names no files but itself; nothing was checked");
    outcome.errorFollowsSubject = true;
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
                    if (protocol.entries.size() == 1)
                        return NamesOnlyItself(CheckKind::kProtocol, listPath);
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
    const FileIdentity protocolFile = IdentityOf(listPath);
    return ReadRows(std::move(rows), options, sink, std::move(outcome), std::string(),
                    &protocolFile);
}

// Asks the sizes that the listings did not tell of the files of `rows` that
// are read, on up to `jobs` threads.
void QueryRowSizes(const SfvPlan& plan, const std::vector<SfvEntry>& entries,
                   const std::string& checked, SfvFolders& folders, unsigned jobs) {
    std::vector<std::size_t> asked;
    for (std::size_t index = 0; index < plan.rows.size(); ++index) {
        const SfvRow& row = plan.rows[index];
        if (folders.rowSizes[index] != SfvFolders::kUnknownSize) continue;
        if (row.kind == SfvRow::Kind::kUnlisted ||
            (row.kind == SfvRow::Kind::kListed && row.file != SfvRow::kNone)) {
            const FoundFile& file = plan.found[row.file];
            if (file.sized) {
                folders.rowSizes[index] = file.size;
                continue;
            }
        }
        if (row.kind == SfvRow::Kind::kListed || row.kind == SfvRow::Kind::kUnlisted) {
            asked.push_back(index);
        }
    }
    OnThreads(asked.size(), jobs, [&](std::size_t at) {
        const std::size_t index = asked[at];
        const SfvRow& row = plan.rows[index];
        const std::string_view name =
            row.file != SfvRow::kNone ? plan.found[row.file].name : entries[row.entry].name;
        std::uint64_t size = 0;
        if (QueryFileSize(PathInFolder(checked, std::string(name)), size)) {
            folders.rowSizes[index] = size;
        }
    });
}

CheckOutcome VerifyAgainstSfv(const std::string& listPath, std::vector<SfvEntry> entries,
                              NameStore& names, const std::string& directory,
                              const CheckOptions& options, CheckSink& sink, RunSteps& steps) {
    // The rows take their names from `entries` and the plan, which both
    // last until the reading is done.
    steps.Start(CheckStep::kPlanning);
    SfvPlan plan = PlanSfvVerification(entries, names, options.cancel);
    if (plan.cancelled) return Cancelled(CheckKind::kSfv);
    if (!plan.ok) {
        return Refused(CheckKind::kSfv, listPath, LineFault(plan.line, plan.error));
    }
    const std::string checked = directory.empty() ? FolderOf(listPath) : directory;
    steps.Start(CheckStep::kListingFolders);
    const ListingControl listing = steps.Listing();
    SfvFolders folders = ListSfvFolders(plan, entries, checked, listPath, options.recursive,
                                        kNamesFoldCase, options.planBytes, &listing);
    if (folders.cancelled) return Cancelled(CheckKind::kSfv);
    if (!folders.ok) return Refused(CheckKind::kSfv, checked, folders.error);
    CheckOutcome outcome;
    outcome.kind = CheckKind::kSfv;
    outcome.folder = checked;
    for (const FolderFault& fault : folders.faults) {
        sink.FolderNotListed(fault.path, fault.error);
        ++outcome.foldersNotListed;
    }
    // The listings add a row for each unlisted file: every row gets a size.
    if (options.planBytes) {
        folders.rowSizes.resize(plan.rows.size(), SfvFolders::kUnknownSize);
        QueryRowSizes(plan, entries, checked, folders, options.jobs);
    }

    steps.Start(CheckStep::kPlanning);
    std::vector<PlannedRow> rows;
    rows.reserve(plan.rows.size());
    bool namedItself = false;
    for (std::size_t index = 0; index < plan.rows.size(); ++index) {
        if (index % kRowsPerLook == 0 && !steps.Went(index)) return Cancelled(CheckKind::kSfv);
        const SfvRow& planned = plan.rows[index];
        if (planned.kind == SfvRow::Kind::kJoined) continue;
        const std::string_view path = SfvRowPath(planned, entries, plan);
        if (!namedItself && planned.kind != SfvRow::Kind::kUnlisted &&
            planned.kind != SfvRow::Kind::kNotHeld && NamesFile(checked, path, listPath)) {
            if (entries.size() == 1) return NamesOnlyItself(CheckKind::kSfv, listPath);
            namedItself = true;
            sink.ListNamesItself(entries[planned.entry].line);
            continue;
        }
        PlannedRow row;
        row.name = path;
        switch (planned.kind) {
            case SfvRow::Kind::kListed:
            case SfvRow::Kind::kUnlisted: {
                const bool listed = planned.kind == SfvRow::Kind::kListed;
                if (listed) {
                    row.hasExpected = true;
                    row.expected = entries[planned.entry].crc;
                }
                const RowJudge judge = listed ? RowJudge::kSfvListed : RowJudge::kSfvUnlisted;
                // A row that reads the file it names needs no more, unless
                // its size is planned.
                const bool upToCase = listed && planned.file != SfvRow::kNone;
                if (!upToCase && !options.planBytes) {
                    row.ReadsItsName(judge);
                    break;
                }
                RowReading& reading = row.StartReading(judge);
                const std::string_view file = upToCase ? plan.found[planned.file].name : path;
                reading.toRead.push_back({PathInFolder(checked, std::string(file)), ""});
                if (options.planBytes && folders.rowSizes[index] != SfvFolders::kUnknownSize) {
                    reading.bytes = folders.rowSizes[index];
                }
                break;
            }
            case SfvRow::Kind::kMissing:
                row.hasExpected = true;
                row.expected = entries[planned.entry].crc;
                row.status = VerifyStatus::kMissing;
                break;
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
            case SfvRow::Kind::kJoined:
                break;
        }
        rows.push_back(std::move(row));
    }
    std::vector<SfvRow>().swap(plan.rows);
    // A link to the list, or another name of it, is found when it is opened.
    const FileIdentity list = IdentityOf(listPath);
    return ReadRows(std::move(rows), options, sink, std::move(outcome), checked, &list);
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
        for (const BrokenLink& link : tree->brokenLinks) sink.LinkLeftOut(link.path, link.error);
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
