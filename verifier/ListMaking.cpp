#include "verifier/ListMaking.h"

#include "files/SameFile.h"
#include "lists/SfvWriter.h"
#include "platform/LocalClock.h"
#include "platform/ReplacingFileWriter.h"
#include "verify/SfvListMaking.h"

namespace sumbrook {

namespace {

// Hands every call on and counts the rows, for the run's exit code.
class CountingSink final : public CheckSink {
  public:
    explicit CountingSink(CheckSink& next) : next_(next) {}
    void Planned(const CheckPlan& plan) override { next_.Planned(plan); }
    void Row(const CheckRow& row) override {
        counts_.Add(row);
        next_.Row(row);
    }
    void Progressed(const CheckProgress& progress) override { next_.Progressed(progress); }
    void FolderNotListed(const std::string& path, const std::string& error) override {
        next_.FolderNotListed(path, error);
    }
    const StatusCounts& Counts() const { return counts_; }

  private:
    CheckSink& next_;
    StatusCounts counts_;
};

}  // namespace

CheckOutcome MakeListOfFolder(const std::string& folder, const std::string& target,
                              const CheckOptions& options, CheckSink& sink) {
    CountingSink counting(sink);
    // A list already at the target is about to be replaced: not listed.
    const SfvListOutcome made = MakeSfvList(folder, {IdentityOf(target)}, options, counting);
    CheckOutcome outcome;
    outcome.end = made.end;
    outcome.kind = CheckKind::kSfv;
    outcome.subject = made.subject;
    outcome.error = made.error;
    outcome.counts = counting.Counts();
    outcome.foldersNotListed = made.foldersNotListed;
    if (made.end != CheckOutcome::End::kDone) return outcome;

    std::string text;
    for (const std::string& line :
         SfvHeaderLines("SumbrookVerify", SUMBROOK_VERIFIER_VERSION, LocalNow())) {
        text.append(line).append(kSfvLineEnd);
    }
    for (const std::string& line : made.lines) text.append(line).append(kSfvLineEnd);
    const std::string failed = ReplaceFileContent(target, text);
    if (!failed.empty()) {
        outcome.end = CheckOutcome::End::kRefused;
        outcome.subject = target;
        outcome.error = failed;
    }
    return outcome;
}

}  // namespace sumbrook
