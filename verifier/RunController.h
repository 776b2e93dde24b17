// The runs of the verification window, apart from the window: a check, a
// check of the rows that were not OK again, or the making of a list, each on
// a worker thread (CheckJob); Cancel that never waits; what the worker posts
// taken in slices; the rows and their order, the notices, the counts, the
// progress, the exit code and the report. The window shows what it holds
// and passes the user's commands on. Used on one thread (the window's);
// only `wake` runs on the worker.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "hash/Digest.h"
#include "lists/ListFormat.h"
#include "verifier/CheckJob.h"
#include "verifier/RowTable.h"
#include "verifier/SignatureBanner.h"
#include "verifier/StatusLineText.h"
#include "verifier/ThroughputMeter.h"

namespace sumbrook {

enum class RunKind { kNone, kCheck, kRecheck, kNewList };

struct CheckRequest {
    std::string list;
    std::string folder;  // "" = as the list says
    bool recursive = false;
    bool uncached = false;
    // The listed files that are not there are left out; a check that then
    // has no row ends refused (CheckOptions::ignoreMissing), as the command
    // line's --ignore-missing does.
    bool ignoreMissing = false;
};

struct NewListRequest {
    std::string folder;
    std::string target;  // where the list goes
    bool recursive = false;
    ListFormat format = ListFormat::kSfv;
    DigestKind digest = DigestKind::kCrc32;  // a kind `format` holds
};

// What a Take changed, for the window to show.
struct RunChanges {
    bool rows = false;     // rows came (the shown rows may have changed)
    bool notices = false;  // a notice came
    bool ended = false;    // the run ended with this take
    bool more = false;     // rows wait still: take again soon
};

class RunController {
  public:
    // `wake` runs on the worker when something waits to be taken, at most
    // once between two takes; it must only post.
    explicit RunController(std::function<void()> wake);
    // Cancels a run still going and returns at once: its worker ends alone
    // (it heeds the flag within about 100 ms) and calls `wake` no more.
    ~RunController();
    RunController(const RunController&) = delete;
    RunController& operator=(const RunController&) = delete;

    // Each start needs no run going. A check replaces the rows shown once
    // its first row or notice comes (a refused one leaves them); "failed
    // again" reads the rows that are not OK and puts their new rows in their
    // places (false: there are none); a new list starts with no rows.
    void StartCheck(const CheckRequest& request);
    bool StartRecheck();
    void StartNewList(const NewListRequest& request);
    // Asks the run to stop and returns at once: its end comes as a Take.
    void Cancel();

    // Takes what the worker left: at most `maxRows` rows go into the table
    // per call, the rest wait (RunChanges::more); none while the table sorts
    // (take again once it is done).
    RunChanges Take(std::size_t maxRows);

    bool Running() const { return job_ != nullptr; }
    bool Cancelling() const { return job_ != nullptr && job_->CancelAsked(); }
    RunKind Kind() const { return kind_; }  // the run going, else the last one
    const RowTable& Table() const { return table_; }
    RowTable& Table() { return table_; }
    // The notices of the last run, as the command line words them
    // (RunNotices.h), in the order they came.
    const std::vector<std::string>& Notices() const { return notices_; }
    StatusLineFacts StatusFacts() const;
    // The kind of the digests of the rows shown: a new list's, or a
    // check's as its first row with a digest tells (the kind every digest
    // of the list was read for); none before one came.
    std::optional<DigestKind> RowsDigestKind() const { return digestKind_; }
    // The summary line of the check shown followed by its notes, as the
    // command line prints it (SummaryWithNotesLine); "" when the check has
    // no notes or no rows, or is going on.
    std::string NotesLine() const;
    // The share of the run done, 0 to 1; negative while nothing is planned.
    double DoneShare() const;
    int ExitCode() const { return exitCode_; }
    // Whether the rows of the last check hold one that is not OK.
    bool HasProblems() const {
        return reportable_ && counts_.Total() != counts_.Count(VerifyStatus::kOk);
    }

    // The end of the last run: its outcome (a refusal's reason), and the
    // check that the rows shown are of.
    const CheckOutcome& LastOutcome() const { return lastOutcome_; }
    // A check judges a clear-signed list's signature, or one beside the
    // list, first, with the keys of the store in `folder` (by default the
    // user's, DefaultKeyStoreFolder()), as sumbrook-cli --verify does.
    void SetKeyStoreFolder(std::string folder) { keyStoreFolder_ = std::move(folder); }
    // What the window shows about the last check's list signature.
    SignatureBanner Banner() const { return SignatureBannerOf(lastOutcome_); }
    const CheckRequest& LastCheck() const { return check_; }
    const NewListRequest& LastNewList() const { return newList_; }
    // Whether a report can be saved: a check ended (also refused or
    // cancelled) and no run goes on.
    bool HasReport() const;
    // What `sumbrook-cli --verify` prints for the check shown (CheckReport.h).
    std::string ReportText() const;
    // Its pieces: the end it sums up, and whether its rows are the table's
    // (else it is a refusal's line alone).
    const CheckOutcome& ReportOutcome() const { return reportable_ ? reported_ : lastOutcome_; }
    bool ReportCoversTable() const { return reportable_; }
    // Why a report of the check shown must not replace the file at
    // `target` (OutputTarget.h); "" when it may.
    std::string ReportTargetFault(const std::string& target) const;

  private:
    void Start(RunKind kind, CheckJob::Run run, const CheckOptions& options,
               std::set<std::string> only, bool useOnly);
    void TakeBatch(const CheckBatch& batch, RunChanges& changes);
    // The words of `note`, as sumbrook-cli says them (RunNotices.h).
    std::string NoticeText(const RunNote& note) const;
    void FirstArrival(RunChanges& changes);
    void AddRows(std::vector<CheckRow>& rows, RunChanges& changes);
    void Replace(std::vector<CheckRow>& rows);
    void End(RunChanges& changes);

    std::function<void()> wake_;
    std::string keyStoreFolder_;  // "": the user's
    std::unique_ptr<CheckJob> job_;
    RunKind kind_ = RunKind::kNone;
    CheckRequest check_;
    NewListRequest newList_;
    RowTable table_;
    bool arrived_ = false;  // the run's first row or notice came
    CheckOutcome end_;
    bool outOfMemory_ = false;  // the rows did not fit: the run is stopped
    // "Failed again": the rows checked again, by name, and those replaced.
    std::vector<std::size_t> recheckRows_;
    std::unordered_map<std::string, std::size_t> recheckIndex_;
    std::vector<std::size_t> replaced_;

    bool stepping_ = false;
    CheckStep step_ = CheckStep::kReadingList;
    std::size_t stepDone_ = 0;
    CheckPlan plan_;
    CheckProgress done_;
    StatusCounts counts_;  // of the rows of this run
    ThroughputMeter meter_;
    std::vector<std::string> notices_;
    std::optional<DigestKind> digestKind_;

    bool reportable_ = false;  // the table holds a check's rows, `reported_` its end
    CheckOutcome reported_;
    CheckOutcome lastOutcome_;
    int exitCode_ = 0;
};

}  // namespace sumbrook
