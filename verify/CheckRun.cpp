#include "verify/CheckRun.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "files/ChecksumInOrder.h"
#include "files/FileChecksumParts.h"
#include "files/FileDigests.h"
#include "files/FileReadControl.h"
#include "files/FileSize.h"
#include "files/FolderEntriesAhead.h"
#include "files/ListPlainFiles.h"
#include "files/ListPlainFilesTree.h"
#include "files/NameCompare.h"
#include "files/ReadFileChecksum.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"
#include "lists/DigestKindChoice.h"
#include "lists/ListFormat.h"
#include "verify/ChecksumListFile.h"
#include "verify/CopyComparison.h"
#ifdef SUMBROOK_SIGNATURES
#include "verify/ListSignature.h"
#include "verify/RunExitCode.h"
#endif
#include "verify/DisplayName.h"
#include "verify/ListCheck.h"
#include "verify/ListFolders.h"
#include "verify/ListedSizes.h"
#include "verify/ProtocolCheck.h"
#include "verify/ProtocolText.h"
#include "verify/ReportText.h"
#include "verify/RowReading.h"
#include "verify/RunSteps.h"

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

// The note of a run whose matches tell damage only (CheckOutcome::notes),
// when some file matched.
void NoteDamageOnly(CheckOutcome& outcome, DigestKind kind) {
    if (outcome.end != CheckOutcome::End::kDone || outcome.counts.Count(VerifyStatus::kOk) == 0) {
        return;
    }
    outcome.notes.push_back(std::string(DigestKindName(kind)) +
                            " matches detect damage, not a file changed on purpose (a SHA-256 "
                            "list tells that too)");
}

// The folder a list of lines is checked in when none is given: the list's
// own; for standard input ("-"), a pipe or a device, the current folder,
// as sha256sum -c takes it (/dev/stdin's folder would be /dev).
std::string DefaultFolderOf(const std::string& listPath) {
    std::uint64_t size = 0;
    if (listPath == kStandardInputList || !QueryFileSize(listPath, size)) return ".";
    std::string folder = FolderOf(listPath);
    // /dev/stdin, /dev/fd/0: the list is what the process was handed.
    if (kThisPathSystem == PathSystem::kPosix) {
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        for (const char* handed : {"/dev", "/dev/fd", "/proc/self/fd", "/proc/thread-self/fd"}) {
            if (folder == handed) return ".";
        }
    }
    return folder;
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
    DigestStore digests;
    bool namedItself = false;
    for (const VerifyRow& planned : PlanVerification(protocol.entries, names, kNamesFoldCase)) {
        if (rows.size() % kRowsPerLook == 0 && !steps.Went(rows.size())) {
            return Cancelled(CheckKind::kProtocol);
        }
        if (options.ignoreMissing && planned.kind == VerifyRow::Kind::kUnlisted) continue;
        PlannedRow row;
        const ProtocolEntry* entry =
            planned.entry == VerifyRow::kNone ? nullptr : &protocol.entries[planned.entry];
        if (entry != nullptr) row.Expect(digests, ProtocolDigest(*entry));
        switch (planned.kind) {
            case VerifyRow::Kind::kListed:
            case VerifyRow::Kind::kUnlisted: {
                row.name = list.files[planned.file].name;
                RowReading& reading = row.StartReading(RowJudge::kProtocol, DigestKind::kCrc32);
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
    CheckOutcome read = ReadRows(std::move(rows), digests, options, sink, std::move(outcome),
                                 std::string(), &protocolFile);
    NoteDamageOnly(read, DigestKind::kCrc32);
    return read;
}

// Asks the sizes that the listings did not tell of the files of `rows` that
// are read, on up to `jobs` threads.
void QueryRowSizes(const ListPlan& plan, const std::vector<ListEntry>& entries,
                   const std::string& checked, ListFolders& folders, unsigned jobs) {
    std::vector<std::size_t> asked;
    for (std::size_t index = 0; index < plan.rows.size(); ++index) {
        const ListRow& row = plan.rows[index];
        if (folders.rowSizes[index] != ListFolders::kUnknownSize) continue;
        if (row.kind == ListRow::Kind::kUnlisted ||
            (row.kind == ListRow::Kind::kListed && row.file != ListRow::kNone)) {
            const FoundFile& file = plan.found[row.file];
            if (file.sized) {
                folders.rowSizes[index] = file.size;
                continue;
            }
        }
        if (row.kind == ListRow::Kind::kListed || row.kind == ListRow::Kind::kUnlisted) {
            asked.push_back(index);
        }
    }
    OnThreads(asked.size(), jobs, [&](std::size_t at) {
        const std::size_t index = asked[at];
        const ListRow& row = plan.rows[index];
        const std::string_view name =
            row.file != ListRow::kNone ? plan.found[row.file].name : entries[row.entry].name;
        std::uint64_t size = 0;
        if (QueryFileSize(PathInFolder(checked, std::string(name)), size)) {
            folders.rowSizes[index] = size;
        }
    });
}

// "SHA-256 or BLAKE3".
std::string KindsText(const std::vector<DigestKind>& kinds) {
    std::string text;
    for (std::size_t i = 0; i < kinds.size(); ++i) {
        if (i > 0) text += i + 1 == kinds.size() ? " or " : ", ";
        text += DigestKindName(kinds[i]);
    }
    return text;
}

// A file read while the kinds were settled: its digest of every kind of its
// length, so that its row is judged without reading it again.
struct SettlingRead {
    std::vector<DigestKind> kinds;
    FileDigests read;
};

// Settles the kind of the listed digests whose length alone chose it
// (ListReadResult::SettleKind): for each such length, the listed files that
// are there are read in list order, each once for every kind of that length,
// until one matches; its kind is then the kind of every digest of that
// length. Where none matches, every file read differs under every kind, so
// the likelier kind stands (it reports each as CHANGED rightly). Says on
// `notes` what was settled; `reads` gets what was read, by plan row. The
// list itself (`listFile`) is never read. Empty, or the error refusing the
// list.
std::string SettleDigestKinds(ListReadResult& list, const ListPlan& plan,
                              const std::string& checked, const CheckOptions& options,
                              const FileIdentity& listFile, std::vector<std::string>& notes,
                              std::unordered_map<std::size_t, SettlingRead>& reads,
                              bool& cancelled) {
    FileReadControl control(options.cancel);
    FileAccess access = kPerThreadUtf8FileAccess;
    access.uncached = options.uncached;
    access.control = &control;
    std::vector<unsigned char> buffer;
    for (std::size_t next = 0; next < plan.rows.size(); ++next) {
        const ListRow& first = plan.rows[next];
        if (first.kind != ListRow::Kind::kListed || list.entries[first.entry].kindSettled) continue;
        const DigestKind guess = list.entries[first.entry].kind;
        const std::size_t digits = 2 * DigestSize(guess);
        const std::vector<DigestKind> kinds = DigestKindsOfLength(digits);
        std::optional<DigestKind> matched;
        std::string matchedName;
        bool anyRead = false;
        for (std::size_t at = next; at < plan.rows.size() && !matched; ++at) {
            const ListRow& row = plan.rows[at];
            if (row.kind != ListRow::Kind::kListed) continue;
            const ListEntry& entry = list.entries[row.entry];
            if (entry.kindSettled || DigestSize(entry.kind) != DigestSize(guess)) continue;
            const std::string path = PathInFolder(checked, std::string(entry.name));
            // The list itself is never read (its row says so when it is reached).
            if (IdentityOf(path) == listFile) continue;
            FileDigests read = DigestFileOnce(path, kinds, buffer, access);
            if (read.read.status == FileReadStatus::kCancelled) {
                cancelled = true;
                return {};
            }
            if (read.read.status != FileReadStatus::kOk || read.digests.size() != kinds.size()) {
                continue;
            }
            anyRead = true;
            const Digest listed = list.DigestOf(entry);
            for (std::size_t k = 0; k < kinds.size(); ++k) {
                if (std::equal(listed.Bytes(), listed.Bytes() + listed.Size(),
                               read.digests[k].Bytes())) {
                    matched = kinds[k];
                    matchedName = std::string(entry.name);
                    break;
                }
            }
            reads[at] = {kinds, std::move(read)};
        }
        const std::string candidates = KindsText(kinds);
        std::string note = "the list's digests of " + std::to_string(digits) + " digits";
        if (matched) {
            note.append(" (").append(candidates).append(") are ").append(DigestKindName(*matched));
            note.append(": ").append(DisplayName(matchedName)).append(" matches as ");
            note.append(DigestKindName(*matched));
        } else {
            // Not one there (every such file missing or unreadable, whatever
            // the kind), or every one there differs under every kind.
            note.append(" may be ").append(candidates);
            note.append(anyRead ? ": no listed file matches as either"
                                : ": no listed file is there to tell");
            note.append(", so they are taken for ").append(DigestKindName(guess));
        }
        notes.push_back(std::move(note));
        list.SettleKind(matched.value_or(guess));
    }
    return {};
}

// Judges a listed row from what the settling read of its file found, as
// if it had been read now. False when that read holds no digest of `kind`.
bool JudgeFromSettlingRead(PlannedRow& row, const SettlingRead& settling, DigestKind kind,
                           const Digest& expected) {
    const auto at = std::find(settling.kinds.begin(), settling.kinds.end(), kind);
    if (at == settling.kinds.end()) return false;
    CheckRow& more = row.More();
    more.hasFound = true;
    more.found = settling.read.digests[static_cast<std::size_t>(at - settling.kinds.begin())];
    more.size = settling.read.read.size;
    more.readThroughCache = settling.read.read.readThroughCache ? 1 : 0;
    row.status = more.found == expected ? VerifyStatus::kOk : VerifyStatus::kChanged;
    return true;
}

CheckOutcome VerifyAgainstList(const std::string& listPath, ListReadResult& list,
                               const std::string& directory, const CheckOptions& options,
                               CheckSink& sink, RunSteps& steps,
                               const std::string& signatureFile = std::string()) {
    std::vector<ListEntry>& entries = list.entries;
    const std::string checked = directory.empty() ? DefaultFolderOf(listPath) : directory;
    // The rows take their names from `entries` and the plan, which both
    // last until the reading is done. On POSIX a '\\' names a folder unless
    // a file of the name as listed is there.
    steps.Start(CheckStep::kPlanning);
    ListPlan plan = PlanListVerification(
        entries, list.names, DescriptorOf(list.format).controlBytes,
        [&checked](std::string_view name) {
            std::uint64_t bytes = 0;
            return QueryFileSize(PathInFolder(checked, std::string(name)), bytes);
        },
        options.cancel);
    if (plan.cancelled) return Cancelled(CheckKind::kList);
    if (!plan.ok) {
        return Refused(CheckKind::kList, listPath, LineFault(plan.line, plan.error));
    }
    steps.Start(CheckStep::kListingFolders);
    const ListingControl listing = steps.Listing();
    ListFolders folders =
        ListFoldersOfPlan(plan, entries, checked, listPath, options.recursive, kNamesFoldCase,
                          options.planBytes, &listing, signatureFile);
    if (folders.cancelled) return Cancelled(CheckKind::kList);
    if (!folders.ok) return Refused(CheckKind::kList, checked, folders.error);
    CheckOutcome outcome;
    outcome.kind = CheckKind::kList;
    outcome.folder = checked;
    if (list.clearSigned) outcome.notes.emplace_back("the list's signature was not checked");
    // A link to the list, or another name of it, is found when it is opened.
    const FileIdentity listFile = IdentityOf(listPath);
    std::unordered_map<std::size_t, SettlingRead> settlingReads;
    if (list.HasUnsettledKinds()) {
        bool cancelled = false;
        const std::string error = SettleDigestKinds(list, plan, checked, options, listFile,
                                                    outcome.notes, settlingReads, cancelled);
        if (!error.empty()) return Refused(CheckKind::kList, listPath, error);
        if (cancelled) {
            outcome.end = CheckOutcome::End::kCancelled;
            return outcome;
        }
    }
    for (const FolderFault& fault : folders.faults) {
        sink.FolderNotListed(fault.path, fault.error);
        ++outcome.foldersNotListed;
    }
    // The listings add a row for each unlisted file: every row gets a size.
    if (options.planBytes) {
        folders.rowSizes.resize(plan.rows.size(), ListFolders::kUnknownSize);
        QueryRowSizes(plan, entries, checked, folders, options.jobs);
    }

    // NEW files are read for the kind of the first listed digest.
    const DigestKind unlistedKind = entries.front().kind;
    steps.Start(CheckStep::kPlanning);
    std::vector<PlannedRow> rows;
    rows.reserve(plan.rows.size());
    bool namedItself = false;
    for (std::size_t index = 0; index < plan.rows.size(); ++index) {
        if (index % kRowsPerLook == 0 && !steps.Went(index)) return Cancelled(CheckKind::kList);
        const ListRow& planned = plan.rows[index];
        if (planned.kind == ListRow::Kind::kJoined) continue;
        const std::string_view path = ListRowPath(planned, entries, plan);
        if (!namedItself && planned.kind != ListRow::Kind::kUnlisted &&
            planned.kind != ListRow::Kind::kNotHeld && NamesFile(checked, path, listPath)) {
            if (entries.size() == 1) return NamesOnlyItself(CheckKind::kList, listPath);
            namedItself = true;
            sink.ListNamesItself(entries[planned.entry].line);
            continue;
        }
        // The lines of other kinds for the same file (ListRowDetail::otherKinds)
        // follow it as rows of their own, each read for its kind.
        const bool manyKinds =
            (planned.kind == ListRow::Kind::kListed || planned.kind == ListRow::Kind::kMissing) &&
            planned.detail != ListRow::kNone && !plan.details[planned.detail].otherKinds.empty();
        const std::vector<std::size_t>* others =
            manyKinds ? &plan.details[planned.detail].otherKinds : nullptr;
        const std::size_t lineCount = 1 + (others != nullptr ? others->size() : 0);
        const auto entryAt = [&](std::size_t at) {
            return at == 0 ? static_cast<std::size_t>(planned.entry) : (*others)[at - 1];
        };
        // The file is read once for every kind, by the row of its first line;
        // the rows of the others take their digests from that read.
        bool readForAll = false;
        for (std::size_t at = 0; at < lineCount; ++at) {
            const std::size_t entryIndex = entryAt(at);
            PlannedRow row;
            row.name = path;
            if (manyKinds) row.More().showsKind = true;
            switch (planned.kind) {
                case ListRow::Kind::kListed:
                case ListRow::Kind::kUnlisted: {
                    const bool listed = planned.kind == ListRow::Kind::kListed;
                    // The digest file of one download checks that one file.
                    if (!listed && (options.ignoreMissing || list.oneFile)) continue;
                    if (listed) {
                        const ListEntry& entry = entries[entryIndex];
                        row.expectedAt = entry.digestAt;
                        row.expectedKind = entry.kind;
                        const auto settled = entryIndex == planned.entry ? settlingReads.find(index)
                                                                         : settlingReads.end();
                        if (settled != settlingReads.end() &&
                            JudgeFromSettlingRead(row, settled->second, entry.kind,
                                                  list.DigestOf(entry))) {
                            break;
                        }
                        if (readForAll) {
                            row.status = VerifyStatus::kOk;  // judged when the first row is read
                            break;
                        }
                    }
                    const RowJudge judge = listed ? RowJudge::kListed : RowJudge::kUnlisted;
                    const DigestKind kind = listed ? row.expectedKind : unlistedKind;
                    // A row that reads the file it names needs no more, unless
                    // its size is planned.
                    const bool upToCase = listed && planned.file != ListRow::kNone;
                    if (!upToCase && !options.planBytes && !manyKinds) {
                        row.ReadsItsName(judge, kind);
                        break;
                    }
                    RowReading& reading = row.StartReading(judge, kind);
                    if (manyKinds && listed) {
                        // The rows that follow this one: the later lines.
                        for (std::size_t later = at + 1; later < lineCount; ++later) {
                            reading.moreKinds.push_back(entries[entryAt(later)].kind);
                        }
                        readForAll = true;
                    }
                    const std::string_view file = upToCase ? plan.found[planned.file].name : path;
                    reading.toRead.push_back({PathInFolder(checked, std::string(file)), ""});
                    if (options.planBytes && folders.rowSizes[index] != ListFolders::kUnknownSize) {
                        reading.bytes = folders.rowSizes[index];
                    }
                    break;
                }
                case ListRow::Kind::kMissing:
                    row.expectedAt = entries[entryIndex].digestAt;
                    row.expectedKind = entries[entryIndex].kind;
                    row.status = VerifyStatus::kMissing;
                    break;
                case ListRow::Kind::kDuplicate: {
                    row.status = VerifyStatus::kDuplicate;
                    std::vector<std::size_t>& lines = row.More().lines;
                    lines.push_back(entries[planned.entry].line);
                    for (const std::size_t entry : plan.details[planned.detail].laterEntries) {
                        lines.push_back(entries[entry].line);
                    }
                    for (const std::size_t entry : plan.details[planned.detail].otherKinds) {
                        lines.push_back(entries[entry].line);
                    }
                    std::sort(lines.begin(), lines.end());
                    break;
                }
                case ListRow::Kind::kNotHeld:
                    row.status = VerifyStatus::kUnreadable;
                    row.More().notHeld = std::move(plan.details[planned.detail].reason);
                    row.More().lines.push_back(entries[planned.entry].line);
                    break;
                case ListRow::Kind::kJoined:
                    break;
            }
            rows.push_back(std::move(row));
        }
    }
    std::vector<ListRow>().swap(plan.rows);
    const bool damageOnly = std::all_of(entries.begin(), entries.end(), [](const ListEntry& entry) {
        return DetectsDamageOnly(entry.kind);
    });
    const DigestKind firstKind = entries.front().kind;
    CheckOutcome read = ReadRows(std::move(rows), list.digests, options, sink, std::move(outcome),
                                 checked, &listFile);
    if (damageOnly) NoteDamageOnly(read, firstKind);
    // xxhsum -H0 writes its XXH32 digests as rhash writes CRC-32s.
    if (list.format == ListFormat::kSum && firstKind == DigestKind::kCrc32 &&
        read.end == CheckOutcome::End::kDone && read.counts.Count(VerifyStatus::kOk) == 0 &&
        read.counts.Count(VerifyStatus::kChanged) > 0) {
        read.notes.emplace_back(
            "the list's 8-digit digests were read as CRC-32s, as rhash writes them; XXH32 "
            "digests (xxhsum -H0) are not read here");
    }
    return read;
}

}  // namespace

CheckOptions RunOptions(unsigned jobs, bool recursive, bool uncached) {
    CheckOptions options;
    options.jobs = jobs == 0 ? DefaultJobCount() : jobs;
    options.recursive = recursive;
    options.uncached = uncached;
    return options;
}

namespace {

CheckOutcome VerifyListFile(const std::string& listPath, const std::string& directory,
                            const CheckOptions& options, CheckSink& sink) {
    RunSteps steps(options, sink);
    // The folder a list of lines is checked in is listed while the list is
    // read; a tree is walked afterwards as before.
    std::optional<FolderEntriesAhead> ahead;
    if (!options.recursive) {
        ahead.emplace(directory.empty() ? DefaultFolderOf(listPath) : directory);
        steps.ListAhead(&*ahead);
    }
    steps.Start(CheckStep::kReadingList);
    ChecksumListFile list = ReadChecksumListFile(
        listPath, options.algorithm, [&steps](std::size_t lines) { return steps.Went(lines); });
    if (list.cancelled) return Cancelled(CheckKind::kList);
    const CheckKind kind =
        list.kind == ChecksumListFile::Kind::kProtocol ? CheckKind::kProtocol : CheckKind::kList;
#ifdef SUMBROOK_SIGNATURES
    // A list that cannot be read may still be one whose signature says it
    // was changed: that is said first.
    std::optional<ListSignatureVerdict> judged;
    if (!list.ok && !list.notAList && kind == CheckKind::kList && options.signature != nullptr) {
        ListReadResult unread;
        ListSignatureVerdict signature =
            JudgeListSignature(listPath, unread, options.algorithm, *options.signature);
        if (signature.stop && signature.exitCode == kExitDifferences) {
            CheckOutcome outcome = Refused(kind, listPath, signature.refusal);
            outcome.signatureExit = signature.exitCode;
            outcome.signatureResult = signature.leading;
            outcome.keySignatureResult = signature.keyResult;
            return outcome;
        }
        // signify's embedded form (SHA256.sig): the list is the signature's
        // message, read there from the bytes verified.
        if (!signature.stop && signature.listRead && signature.list.ok) {
            list.list = std::move(signature.list);
            list.ok = true;
            signature.listRead = false;
            judged = std::move(signature);
        }
    }
#endif
    if (!list.ok) return Refused(kind, listPath, list.error);
    if (kind == CheckKind::kList ? list.list.entries.empty() : list.protocol.entries.empty()) {
        CheckOutcome outcome = Refused(kind, listPath, "names no files; nothing was checked");
        outcome.errorFollowsSubject = true;
        return outcome;
    }
    if (kind == CheckKind::kList) {
#ifdef SUMBROOK_SIGNATURES
        if (options.signature != nullptr) {
            ListSignatureVerdict signature =
                judged ? std::move(*judged)
                       : JudgeListSignature(listPath, list.list, options.algorithm,
                                            *options.signature);
            if (signature.stop) {
                CheckOutcome outcome = Refused(kind, listPath, signature.refusal);
                outcome.errorFollowsSubject = signature.refusal.rfind("has no signature", 0) == 0;
                outcome.signatureExit = signature.exitCode;
                outcome.signatureResult = signature.leading;
                outcome.keySignatureResult = signature.keyResult;
                return outcome;
            }
            if (signature.listRead) {
                if (!signature.list.ok) {
                    return Refused(kind, listPath,
                                   LineFault(signature.list.line, signature.list.error));
                }
                list.list = std::move(signature.list);
            }
            CheckOutcome outcome = VerifyAgainstList(listPath, list.list, directory, options, sink,
                                                     steps, signature.signatureFile);
            outcome.notes.insert(outcome.notes.begin(), signature.notes.begin(),
                                 signature.notes.end());
            outcome.signatureExit = signature.exitCode;
            outcome.signatureResult = signature.leading;
            outcome.keySignatureResult = signature.keyResult;
            return outcome;
        }
#endif
        return VerifyAgainstList(listPath, list.list, directory, options, sink, steps);
    }
    // A check of digests the protocol does not hold would check nothing asked.
    if (options.algorithm) {
        std::string notHeld = NotHeldText(ListFormat::kProtocol, *options.algorithm);
        if (!notHeld.empty()) return Refused(kind, listPath, std::move(notHeld));
    }
    if (options.recursive) {
        return Refused(kind, listPath,
                       std::string("a protocol lists the files of one directory; ") +
                           options.recursiveName + " is for SFV lists");
    }
    return VerifyAgainstProtocol(listPath, list.protocol, directory, options, sink, steps);
}

}  // namespace

CheckOutcome VerifyList(const std::string& listPath, const std::string& directory,
                        const CheckOptions& options, CheckSink& sink) {
    CheckOutcome outcome = VerifyListFile(listPath, directory, options, sink);
    // A whole check that left every listed file out checked nothing.
    if (options.ignoreMissing && options.only == nullptr &&
        outcome.end == CheckOutcome::End::kDone && outcome.counts.Total() == 0) {
        outcome.end = CheckOutcome::End::kRefused;
        outcome.subject = listPath;
        outcome.error = "names no file that is there; nothing was checked";
        outcome.errorFollowsSubject = true;
    }
    return outcome;
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
                RowReading& reading =
                    row.StartReading(RowJudge::kCopy, options.algorithm.value_or(kCopyDigest));
                Read(reading, from);
                Read(reading, to);
                break;
            }
        }
        rows.push_back(std::move(row));
    }
    return ReadRows(std::move(rows), DigestStore(), options, sink, std::move(outcome));
}

}  // namespace sumbrook
