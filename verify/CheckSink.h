// What a run hands over and how it is asked to run: the plan, progress,
// the sink that takes rows as they are found, the options and the outcome.
// Shared by every kind of run (VerifyList, CompareCopy, MakeList) and by
// the reading that drives them (RowReading.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "hash/Digest.h"
#include "verify/CheckRow.h"

namespace sumbrook {

// Known before the first file is read.
struct CheckPlan {
    std::size_t files = 0;    // files to read
    std::uint64_t bytes = 0;  // their bytes, by their sizes when listed
    std::size_t rows = 0;     // rows the report will have
};

struct CheckProgress {
    std::size_t filesDone = 0;
    std::uint64_t bytesDone = 0;  // including the bytes read so far of files being read
};

// The steps of a run before its files are read, which can take long for a
// list of millions of lines or a tree of many folders.
enum class CheckStep {
    kReadingList,     // `done`: lines of the list read
    kListingFolders,  // `done`: files found
    kPlanning,        // `done`: rows planned
};

// Called on the thread that runs the check, never two calls at once. An
// exception from any call ends the run: reading stops, every thread is
// joined, and the exception leaves the run.
class CheckSink {
  public:
    virtual ~CheckSink() = default;
    // Before the plan: each step as it starts (`done` 0) and then about ten
    // times a second while it lasts.
    virtual void Stepped(CheckStep step, std::size_t done) {
        (void)step;
        (void)done;
    }
    virtual void Planned(const CheckPlan& plan) { (void)plan; }
    // Each row in report order, as soon as it and every row before it is
    // known.
    virtual void Row(const CheckRow& row) = 0;
    // While files are read: about ten times a second, and sooner when
    // another sixteenth of the planned bytes has been read (so at most about
    // 16 more times in a whole run).
    virtual void Progressed(const CheckProgress& progress) { (void)progress; }
    // A folder below the one checked that could not be listed; its files
    // are not in the report.
    virtual void FolderNotListed(const std::string& path, const std::string& error) {
        (void)path;
        (void)error;
    }
    // A link among the files listed that leads to no file (POSIX); it is
    // not in the report, nor in a list made.
    virtual void LinkLeftOut(const std::string& path, const std::string& error) {
        (void)path;
        (void)error;
    }
    // The list checked names itself on `line` (the first, when on more):
    // that line is not checked (the list could never match it), and no row
    // is reported for it.
    virtual void ListNamesItself(std::size_t line) { (void)line; }
    // A file that is the list itself by identity (a link to it, another
    // name of it, the list reached by another path), reached as `name`
    // (relative to the folder checked): it is not read and has no row.
    virtual void ListFoundAs(const std::string& name) { (void)name; }
};

struct ListSignatureOptions;  // verify/ListSignature.h
struct SignatureResult;       // signature/SignatureCheck.h
struct KeySignatureResult;    // signature/KeySignatureResult.h

struct CheckOptions {
    unsigned jobs = 1;       // files read at once (at least one)
    bool recursive = false;  // lists of lines and copies: the whole tree
    // How the front end names `recursive`, in the refusal of a protocol
    // checked with it.
    const char* recursiveName = "--recursive";
    bool uncached = false;  // read past the system's cache
    // Set from any thread to stop: reading the list, listing folders,
    // planning and reading files stop within about 100 ms, every thread is
    // joined, rows already delivered stand, and the run ends as cancelled.
    // Null: never cancelled.
    const std::atomic<bool>* cancel = nullptr;
    // When set: only the rows of these names (CheckRow::name) are read and
    // reported ("check the failed files again").
    const std::set<std::string>* only = nullptr;
    // CheckPlan::bytes counts every file: sizes that the listing did not
    // tell (a POSIX listing tells none) are asked before reading starts.
    // False: only the listing's sizes count, sparing a question per file
    // (the command line, which shows no bytes to come).
    bool planBytes = true;
    // The algorithm asked for (the command line's --algorithm). A list: the
    // kind of every digest it holds, over what its lines and name say (none:
    // as they say). A copy and its source, and the files of a list being
    // made: the digest read of them (none: kCopyDigest for a copy, CRC-32
    // for a list). A list's unlisted files
    // are read for the kind of its first digest.
    std::optional<DigestKind> algorithm;
    // A list's files that are not there are left out of the report (no row
    // is MISSING) and no unlisted file is looked for (no row is NEW or
    // EMPTY): a list of many downloads checked beside the few that were
    // downloaded. A check of the whole list (no `only`) that then has no
    // row is refused: "LIST names no file that is there; nothing was checked".
    bool ignoreMissing = false;
    // A list's signature is judged before its files are read, as
    // verify/ListSignature.h says (where the build checks signatures).
    // Null: not judged; a clear-signed list's note says so.
    const ListSignatureOptions* signature = nullptr;
};

struct CheckOutcome {
    enum class End {
        kDone,       // every row delivered
        kCancelled,  // the cancel flag stopped it; the rows delivered stand
        kRefused,    // nothing was checked: see subject and error
    };
    End end = End::kDone;
    // Which kind of check it was (known once the list is read; kCopy for
    // CompareCopy), so that a caller can sum it up (SummaryLine).
    CheckKind kind = CheckKind::kList;
    // kRefused: what was refused (the list's path or a folder, as given) and
    // why ("line 7: ...", "No such file or directory", "the protocol names no
    // directory; ...").
    std::string subject;
    std::string error;
    // kRefused: `error` goes on from `subject` as one sentence ("LIST names
    // no files; nothing was checked") rather than after it as its reason.
    bool errorFollowsSubject = false;
    // The folder checked, as the run took it (the protocol's, the list's
    // own or the one given; the copy for CompareCopy); "" when refused before.
    std::string folder;
    StatusCounts counts;  // of the rows delivered
    std::size_t foldersNotListed = 0;
    // What a summary says beside the counts, each a clause ("the list's
    // signature was not checked", which kind a list's digests were taken for).
    std::vector<std::string> notes;
    // The list's signature: 1 bad (then refused), 2 not verified by a
    // trusted key where that was asked; the run's code is at least this.
    int signatureExit = 0;
    // The result that speaks for the list's signatures (the good one, else
    // the first), for a window to show; null when none was checked.
    std::shared_ptr<const SignatureResult> signatureResult;
    // A minisign or signify signature's result instead; null when none.
    std::shared_ptr<const KeySignatureResult> keySignatureResult;
};

}  // namespace sumbrook
