#include "verifier/RunController.h"

#include <algorithm>
#include <chrono>
#include <iterator>
#include <new>
#include <unordered_map>
#include <utility>

#include "files/ListPlainFilesTree.h"
#include "files/SameFile.h"
#include "files/Utf8NameFold.h"
#include "signature/KeyStore.h"
#include "verifier/CheckReport.h"
#include "verifier/ListMaking.h"
#include "verify/CheckRun.h"
#include "verify/ListSignature.h"
#include "verify/OutputTarget.h"
#include "verify/RunExitCode.h"
#include "verify/RunNotices.h"

namespace sumbrook {

namespace {

constexpr char kOutOfMemory[] =
    "There is not enough memory for the rows of this run; it was stopped.";

std::uint64_t NowMs() {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

// The part of a path after its last separator.
std::string_view LastName(std::string_view path) {
    const std::size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// False only where the last name of `path` differs from `name` for every
// file system: `name` is ASCII and the two differ even without regard to
// case. Read from the end of `path`, so that most rows are told after a
// byte or two (folding every name as the file system does would cost a
// million calls for a million rows, and a call of LastName a million
// scans). Case folding maps a character to one character, so a last name
// longer than `name` is another; a byte past ASCII in `path` leaves it open.
bool MayEndWithName(std::string_view path, std::string_view name) {
    const auto ascii = [](char c) { return static_cast<unsigned char>(c) < 0x80; };
    if (!std::all_of(name.begin(), name.end(), ascii)) return true;
    const auto lower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    std::size_t left = path.size();
    for (std::size_t i = name.size(); i > 0; --i) {
        if (left == 0) return false;
        const char c = path[--left];
        if (!ascii(c)) return true;
        if (lower(c) != lower(name[i - 1])) return false;
    }
    return left == 0 || path[left - 1] == '/' || path[left - 1] == '\\';
}

CheckOptions WindowOptions(bool recursive, bool uncached) {
    CheckOptions options = RunOptions(0, recursive, uncached);
    options.recursiveName = "Subfolders (/r)";
    return options;
}

CheckOptions CheckWindowOptions(const CheckRequest& request) {
    CheckOptions options = WindowOptions(request.recursive, request.uncached);
    options.ignoreMissing = request.ignoreMissing;
    return options;
}

// The list's signature judged by the key store's keys, as the command line
// judges it without --key: a store that holds a key makes a signature by
// another a failure (exit 2).
std::shared_ptr<const ListSignatureOptions> SignatureOptionsOf(const std::string& storeFolder) {
    auto options = std::make_shared<ListSignatureOptions>();
    options->storeFolder = storeFolder.empty() ? DefaultKeyStoreFolder() : storeFolder;
    return options;
}

// The run of a check or a recheck: the request's list, its signature judged
// by the store's keys.
CheckJob::Run VerifyListRun(const CheckRequest& request, const std::string& storeFolder) {
    return
        [list = request.list, folder = request.folder, signature = SignatureOptionsOf(storeFolder)](
            const CheckOptions& options, CheckSink& sink) {
            CheckOptions signed_ = options;
            signed_.signature = signature.get();
            return VerifyList(list, folder, signed_, sink);
        };
}

}  // namespace

RunController::RunController(std::function<void()> wake) : wake_(std::move(wake)) {}

RunController::~RunController() = default;

void RunController::StartCheck(const CheckRequest& request) {
    if (Running()) return;
    check_ = request;
    Start(RunKind::kCheck, VerifyListRun(request, keyStoreFolder_), CheckWindowOptions(request), {},
          false);
}

bool RunController::StartRecheck() {
    if (Running() || !reportable_) return false;
    recheckRows_ = table_.ProblemRows();
    if (recheckRows_.empty()) return false;
    std::set<std::string> names;
    for (const std::size_t index : recheckRows_) names.emplace(table_.Rows().At(index).Name());
    Start(RunKind::kRecheck, VerifyListRun(check_, keyStoreFolder_), CheckWindowOptions(check_),
          std::move(names), true);
    return true;
}

void RunController::StartNewList(const NewListRequest& request) {
    if (Running()) return;
    newList_ = request;
    table_.Clear();
    reportable_ = false;
    digestKind_ = request.digest;
    CheckOptions listing = WindowOptions(request.recursive, false);
    listing.algorithm = request.digest;
    Start(
        RunKind::kNewList,
        [folder = request.folder, target = request.target, format = request.format](
            const CheckOptions& options, CheckSink& sink) {
            return MakeListOfFolder(folder, target, format, options, sink);
        },
        listing, {}, false);
}

void RunController::Start(RunKind kind, CheckJob::Run run, const CheckOptions& options,
                          std::set<std::string> only, bool useOnly) {
    kind_ = kind;
    arrived_ = false;
    outOfMemory_ = false;
    stepping_ = true;
    step_ = kind == RunKind::kNewList ? CheckStep::kListingFolders : CheckStep::kReadingList;
    stepDone_ = 0;
    plan_ = CheckPlan();
    done_ = CheckProgress();
    counts_ = StatusCounts();
    meter_.Reset();
    replaced_.clear();
    job_ = std::make_unique<CheckJob>(std::move(run), options, std::move(only), useOnly, wake_);
}

void RunController::Cancel() {
    if (job_ != nullptr) job_->Cancel();
}

std::string RunController::NoticeText(const RunNote& note) const {
    switch (note.kind) {
        case RunNote::Kind::kFolderNotListed:
            return FolderNotListedText(note.path, note.error);
        case RunNote::Kind::kLinkLeftOut:
            return LinkLeftOutText(note.path, note.error);
        case RunNote::Kind::kListNamesItself:
            return ListNamesItselfText(check_.list, note.line);
        case RunNote::Kind::kListFoundAs:
            return ListFoundAsText(check_.list, note.path);
    }
    return std::string();
}

RunChanges RunController::Take(std::size_t maxRows) {
    RunChanges changes;
    if (job_ == nullptr) return changes;
    // While the table sorts, rows wait in the job: they would take their
    // places in the order being replaced.
    CheckBatch batch = job_->Take(table_.Sorting() ? 0 : maxRows);
    TakeBatch(batch, changes);
    AddRows(batch.rows, changes);
    changes.more = batch.moreRows && !table_.Sorting();
    if (batch.finished) {
        end_ = std::move(batch.outcome);
        End(changes);
    }
    return changes;
}

void RunController::FirstArrival(RunChanges& changes) {
    if (arrived_) return;
    arrived_ = true;
    notices_.clear();
    changes.notices = true;
    if (kind_ == RunKind::kCheck) {
        table_.Clear();
        reportable_ = false;
        digestKind_.reset();
        changes.rows = true;
    }
}

void RunController::TakeBatch(const CheckBatch& batch, RunChanges& changes) {
    if (batch.stepped) {
        step_ = batch.step;
        stepDone_ = batch.stepDone;
    }
    if (batch.planned) {
        FirstArrival(changes);
        stepping_ = false;
        plan_ = batch.plan;
        if (kind_ != RunKind::kRecheck && !outOfMemory_) {
            try {
                table_.Reserve(table_.Rows().Count() + plan_.rows);
            } catch (const std::bad_alloc&) {
                outOfMemory_ = true;
                job_->Cancel();
            }
        }
    }
    if (!batch.notes.empty()) {
        FirstArrival(changes);
        for (const RunNote& note : batch.notes) notices_.push_back(NoticeText(note));
        changes.notices = true;
    }
    if (!batch.rows.empty()) FirstArrival(changes);
    if (batch.progressed) {
        done_ = batch.progress;
        meter_.Sample(NowMs(), done_.bytesDone);
    }
}

void RunController::AddRows(std::vector<CheckRow>& rows, RunChanges& changes) {
    // The run is being cancelled for want of memory: what still comes is
    // not kept.
    if (rows.empty() || outOfMemory_) return;
    changes.rows = true;
    if (!digestKind_) {
        for (const CheckRow& row : rows) {
            if (row.hasExpected || row.hasFound) {
                digestKind_ = row.hasExpected ? row.expected.Kind() : row.found.Kind();
                break;
            }
        }
    }
    try {
        for (const CheckRow& row : rows) counts_.Add(row);
        if (kind_ == RunKind::kRecheck) {
            Replace(rows);
        } else {
            table_.Append(rows);
        }
    } catch (const std::bad_alloc&) {
        // One message at the run's end, and no partial "done".
        outOfMemory_ = true;
        job_->Cancel();
    }
}

void RunController::Replace(std::vector<CheckRow>& rows) {
    if (recheckIndex_.empty()) {
        for (const std::size_t index : recheckRows_) {
            recheckIndex_.emplace(table_.Rows().At(index).Name(), index);
        }
    }
    std::vector<CheckRow> added;
    for (CheckRow& row : rows) {
        const auto found = recheckIndex_.find(row.name);
        if (found == recheckIndex_.end()) {
            added.push_back(std::move(row));
            continue;
        }
        replaced_.push_back(found->second);
        table_.Replace(found->second, row);
    }
    if (!added.empty()) table_.Append(added);
}

void RunController::End(RunChanges& changes) {
    job_.reset();  // the end was the worker's last act: nothing is waited for
    changes.ended = true;
    stepping_ = false;
    CheckOutcome outcome = std::move(end_);
    if (outOfMemory_) {
        outcome.end = CheckOutcome::End::kRefused;
        outcome.subject.clear();
        outcome.error = kOutOfMemory;
    }
    if (outcome.end == CheckOutcome::End::kDone) done_.filesDone = plan_.files;
    lastOutcome_ = outcome;
    exitCode_ = ExitCodeOf(outcome);
    const bool nothingCame = !arrived_ && outcome.end == CheckOutcome::End::kRefused;
    switch (kind_) {
        case RunKind::kCheck:
            // A refused check leaves the rows of the one before.
            if (nothingCame && reportable_) break;
            reportable_ = !outOfMemory_ && outcome.end != CheckOutcome::End::kRefused;
            reported_ = std::move(outcome);
            break;
        case RunKind::kRecheck: {
            if (nothingCame) break;
            if (outcome.end == CheckOutcome::End::kDone) {
                // A row not found again (a NEW file deleted meanwhile) is gone.
                std::sort(replaced_.begin(), replaced_.end());
                std::vector<std::size_t> gone;
                std::set_difference(recheckRows_.begin(), recheckRows_.end(), replaced_.begin(),
                                    replaced_.end(), std::back_inserter(gone));
                table_.Remove(gone);
            }
            table_.SetOrder(table_.Order());
            // The report covers the whole list: the earlier rows and those
            // checked again in their places.
            outcome.counts = table_.Counts();
            counts_ = outcome.counts;
            exitCode_ = ExitCodeOf(outcome);
            reportable_ = !outOfMemory_ && outcome.end != CheckOutcome::End::kRefused;
            reported_ = std::move(outcome);
            break;
        }
        case RunKind::kNewList:
        case RunKind::kNone:
            break;
    }
    recheckRows_.clear();
    recheckIndex_.clear();
    replaced_.clear();
    // The counts of the rows shown (a refused check leaves the earlier ones).
    if (kind_ != RunKind::kNewList && reportable_) counts_ = table_.Counts();
}

StatusLineFacts RunController::StatusFacts() const {
    StatusLineFacts facts;
    facts.makingList = kind_ == RunKind::kNewList;
    facts.cancelling = Cancelling();
    facts.counts = counts_;
    facts.filesDone = done_.filesDone;
    facts.filesPlanned = plan_.files;
    if (kind_ == RunKind::kNone) {
        facts.phase = StatusLineFacts::Phase::kIdle;
    } else if (Running()) {
        facts.phase = stepping_ ? StatusLineFacts::Phase::kStep : StatusLineFacts::Phase::kRunning;
        facts.step = step_;
        facts.stepDone = stepDone_;
        facts.bytesPerSecond = meter_.BytesPerSecond();
        facts.secondsLeft = meter_.SecondsLeft(plan_.bytes);
    } else {
        switch (lastOutcome_.end) {
            case CheckOutcome::End::kDone:
                facts.phase = StatusLineFacts::Phase::kDone;
                break;
            case CheckOutcome::End::kCancelled:
                facts.phase = StatusLineFacts::Phase::kCancelled;
                break;
            case CheckOutcome::End::kRefused:
                facts.phase = StatusLineFacts::Phase::kRefused;
                break;
        }
    }
    facts.notices = notices_.size();
    facts.digestKind = digestKind_;
    return facts;
}

std::string RunController::NotesLine() const {
    if (Running() || !reportable_ || reported_.notes.empty()) return std::string();
    return SummaryWithNotesLine(reported_);
}

double RunController::DoneShare() const {
    if (!Running()) {
        return kind_ != RunKind::kNone && lastOutcome_.end == CheckOutcome::End::kDone ? 1.0 : -1.0;
    }
    if (stepping_) return -1.0;
    if (plan_.bytes > 0) {
        return static_cast<double>(std::min(done_.bytesDone, plan_.bytes)) /
               static_cast<double>(plan_.bytes);
    }
    if (plan_.files > 0) {
        return static_cast<double>(std::min(done_.filesDone, plan_.files)) /
               static_cast<double>(plan_.files);
    }
    return -1.0;
}

bool RunController::HasReport() const {
    if (Running() || (kind_ != RunKind::kCheck && kind_ != RunKind::kRecheck)) return false;
    return reportable_ || lastOutcome_.end == CheckOutcome::End::kRefused;
}

std::string RunController::ReportText() const {
    if (reportable_) return CheckReportText(table_.Rows(), reported_, notices_);
    return ReportHead(lastOutcome_, notices_);
}

std::string RunController::ReportTargetFault(const std::string& target) const {
    std::vector<std::string> runFiles;
    // Only a file that is there can be one of the run's.
    if (reportable_ && IdentityOf(target).known) {
        const RowStore& rows = table_.Rows();
        const std::string_view targetName = LastName(target);
        for (std::size_t index = 0; index < rows.Count(); ++index) {
            const std::string_view name = rows.At(index).Name();
            if (MayEndWithName(name, targetName) && SameLastName(name, target)) {
                runFiles.push_back(PathInFolder(reported_.folder, std::string(name)));
            }
        }
    }
    return OutputTargetFault(target, check_.list, runFiles);
}

}  // namespace sumbrook
