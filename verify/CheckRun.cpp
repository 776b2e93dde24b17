#include "verify/CheckRun.h"

#include <algorithm>
#include <unordered_map>
#include <utility>
#include <vector>

#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "files/FileEntryCrc32.h"
#include "files/ListPlainFiles.h"
#include "files/ListPlainFilesTree.h"
#include "files/NameCompare.h"
#include "files/Utf8NameFold.h"
#include "verify/ChecksumListFile.h"
#include "verify/CopyComparison.h"
#include "verify/ListedSizes.h"
#include "verify/ProtocolCheck.h"
#include "verify/ProtocolText.h"
#include "verify/RowReading.h"
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

void Read(PlannedRow& planned, const PlainFile& file) {
    planned.toRead.push_back({file.path, file.alternatePath});
    planned.bytes += file.size;
}

CheckOutcome VerifyAgainstProtocol(const std::string& listPath, const Protocol& protocol,
                                   const std::string& directory, const CheckOptions& options,
                                   CheckSink& sink) {
    const std::string checked =
        directory.empty() ? Utf8OfProtocolText(protocol.directoryText) : directory;
    if (checked.empty()) {
        return Refused(CheckKind::kProtocol, listPath,
                       "the protocol names no directory; give one after the protocol");
    }
    PlainFileList list = ListPlainFiles(checked);
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
    std::vector<PlannedRow> rows;
    for (const VerifyRow& planned : PlanVerification(protocol.entries, names, kNamesFoldCase)) {
        PlannedRow row;
        const ProtocolEntry* entry =
            planned.entry == VerifyRow::kNone ? nullptr : &protocol.entries[planned.entry];
        if (entry != nullptr) {
            row.row.hasExpected = true;
            row.row.expected = ProtocolCrc(*entry);
        }
        row.protocolEntry = entry;
        row.protocolKind = planned.kind;
        switch (planned.kind) {
            case VerifyRow::Kind::kListed:
            case VerifyRow::Kind::kUnlisted:
                row.row.name = list.files[planned.file].name;
                row.judge = RowJudge::kProtocol;
                Read(row, list.files[planned.file]);
                break;
            case VerifyRow::Kind::kMissing:
                row.row.status = VerifyStatus::kMissing;
                row.row.name = Utf8OfProtocolText(TrimmedNameField(entry->nameField));
                break;
            case VerifyRow::Kind::kAmbiguous:
                row.row.status = VerifyStatus::kAmbiguous;
                row.row.name = Utf8OfProtocolText(TrimmedNameField(entry->nameField));
                for (const std::size_t file : planned.candidates) {
                    row.row.candidates.push_back(list.files[file].name);
                }
                row.row.sameFieldLines = planned.sameFieldLines;
                break;
        }
        rows.push_back(std::move(row));
    }
    CheckOutcome outcome;
    outcome.kind = CheckKind::kProtocol;
    return ReadRows(std::move(rows), options, sink, std::move(outcome));
}

std::string SizeKey(const std::string& name) {
    return kNamesFoldCase ? FoldedUtf8Name(name) : name;
}

CheckOutcome VerifyAgainstSfv(const std::string& listPath, const std::vector<SfvEntry>& entries,
                              const std::string& directory, const CheckOptions& options,
                              CheckSink& sink) {
    SfvPlan plan = PlanSfvVerification(entries, kNamesFoldCase);
    if (!plan.ok) {
        return Refused(CheckKind::kSfv, listPath,
                       "line " + std::to_string(plan.line) + ": " + plan.error);
    }
    const std::string checked = directory.empty() ? FolderOf(listPath) : directory;
    PlainFileTree top = ListPlainFilesTree(checked, options.recursive);
    if (!top.ok) return Refused(CheckKind::kSfv, checked, top.error);
    CheckOutcome outcome;
    outcome.kind = CheckKind::kSfv;
    for (const FolderFault& fault : top.faults) {
        sink.FolderNotListed(fault.path, fault.error);
        ++outcome.foldersNotListed;
    }
    std::vector<PlainFile> files = CandidateFiles(top, checked, plan.folders, options.recursive);
    LeaveOutFile(files, listPath);
    AddUnlistedFiles(plan, files, kNamesFoldCase);
    if (options.planBytes) QueryMissingSizes(files, options.jobs);
    // The sizes of the listed files, as far as the listings saw them.
    std::unordered_map<std::string, std::uint64_t> sizes;
    sizes.reserve(files.size());
    for (const PlainFile& file : files) sizes.emplace(SizeKey(file.name), file.size);

    std::vector<PlannedRow> rows;
    rows.reserve(plan.rows.size());
    for (SfvRow& planned : plan.rows) {
        PlannedRow row;
        row.row.name = planned.path;
        switch (planned.kind) {
            case SfvRow::Kind::kListed: {
                const SfvEntry& entry = entries[planned.entries.front()];
                row.row.hasExpected = true;
                row.row.expected = entry.crc;
                row.sfvEntry = &entry;
                row.judge = RowJudge::kSfvListed;
                row.toRead.push_back({PathInFolder(checked, planned.path), ""});
                const auto size = sizes.find(SizeKey(planned.path));
                if (size != sizes.end()) row.bytes = size->second;
                break;
            }
            case SfvRow::Kind::kDuplicate:
                row.row.status = VerifyStatus::kDuplicate;
                for (const std::size_t entry : planned.entries) {
                    row.row.lines.push_back(entries[entry].line);
                }
                break;
            case SfvRow::Kind::kNotHeld:
                row.row.status = VerifyStatus::kUnreadable;
                row.row.notHeld = planned.reason;
                row.row.lines.push_back(entries[planned.entries.front()].line);
                break;
            case SfvRow::Kind::kUnlisted:
                row.judge = RowJudge::kSfvUnlisted;
                Read(row, files[planned.file]);
                break;
        }
        rows.push_back(std::move(row));
    }
    return ReadRows(std::move(rows), options, sink, std::move(outcome));
}

}  // namespace

CheckOutcome VerifyList(const std::string& listPath, const std::string& directory,
                        const CheckOptions& options, CheckSink& sink) {
    const ChecksumListFile list = ReadChecksumListFile(listPath);
    const CheckKind kind =
        list.kind == ChecksumListFile::Kind::kProtocol ? CheckKind::kProtocol : CheckKind::kSfv;
    if (!list.ok) return Refused(kind, listPath, list.error);
    if (kind == CheckKind::kSfv) {
        return VerifyAgainstSfv(listPath, list.sfvEntries, directory, options, sink);
    }
    if (options.recursive) {
        return Refused(kind, listPath,
                       "a protocol lists the files of one directory; --recursive is for SFV lists");
    }
    return VerifyAgainstProtocol(listPath, list.protocol, directory, options, sink);
}

CheckOutcome CompareCopy(const std::string& source, const std::string& copy,
                         const CheckOptions& options, CheckSink& sink) {
    PlainFileTree sourceTree = ListPlainFilesTree(source, options.recursive);
    if (!sourceTree.ok) return Refused(CheckKind::kCopy, source, sourceTree.error);
    PlainFileTree copyTree = ListPlainFilesTree(copy, options.recursive);
    if (!copyTree.ok) return Refused(CheckKind::kCopy, copy, copyTree.error);
    if (options.planBytes) {
        QueryMissingSizes(sourceTree.files, options.jobs);
        QueryMissingSizes(copyTree.files, options.jobs);
    }
    CheckOutcome outcome;
    outcome.kind = CheckKind::kCopy;
    for (const PlainFileTree* tree : {&sourceTree, &copyTree}) {
        for (const FolderFault& fault : tree->faults) {
            sink.FolderNotListed(fault.path, fault.error);
            ++outcome.foldersNotListed;
        }
    }
    const std::vector<PlainFile>& sources = sourceTree.files;
    const std::vector<PlainFile>& copies = copyTree.files;
    std::vector<PlannedRow> rows;
    for (const CopyRow& planned : PlanCopyComparison(sources, copies, kNamesFoldCase)) {
        PlannedRow row;
        switch (planned.kind) {
            case CopyRow::Kind::kSourceOnly:
                row.row.status = VerifyStatus::kMissing;
                row.row.name = sources[planned.source].name;
                break;
            case CopyRow::Kind::kCopyOnly:
                row.row.status = VerifyStatus::kNew;
                row.row.name = copies[planned.copy].name;
                break;
            case CopyRow::Kind::kBoth: {
                const PlainFile& from = sources[planned.source];
                const PlainFile& to = copies[planned.copy];
                row.row.name = from.name;
                // Files the listings already tell apart by size are not read;
                // files of unknown sizes are opened together and not read
                // either when their sizes differ (ChecksumCopyPair).
                if (from.sized && to.sized && from.size != to.size) {
                    row.row.status = VerifyStatus::kDifferent;
                    row.row.sizesCompared = true;
                    row.row.expectedSize = from.size;
                    row.row.foundSize = to.size;
                    break;
                }
                row.judge = RowJudge::kCopy;
                Read(row, from);
                Read(row, to);
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    return ReadRows(std::move(rows), options, sink, std::move(outcome));
}

}  // namespace sumbrook
