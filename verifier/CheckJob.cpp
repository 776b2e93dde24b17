#include "verifier/CheckJob.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <iterator>
#include <new>
#include <thread>
#include <utility>

namespace sumbrook {

// What the worker and the job share; the worker holds it to its end.
struct CheckJob::Shared {
    std::set<std::string> only;
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    std::condition_variable taken;
    CheckBatch pending;  // without its rows, which are in `rows`
    std::deque<CheckRow> rows;
    bool wakePending = false;
    std::function<void()> wake;  // emptied (under `mutex`) when the job goes

    // Wakes the window once between two takes. Under the lock, so that a
    // job going away meanwhile is seen; `wake` only posts.
    void Arrived(std::unique_lock<std::mutex>& /*locked*/) {
        if (wakePending || !wake) return;
        wakePending = true;
        wake();
    }
};

class CheckJob::QueueSink final : public CheckSink {
  public:
    explicit QueueSink(Shared& job) : job_(job) {}

    void Stepped(CheckStep step, std::size_t done) override {
        std::unique_lock<std::mutex> lock(job_.mutex);
        job_.pending.stepped = true;
        job_.pending.step = step;
        job_.pending.stepDone = done;
        job_.Arrived(lock);
    }
    void Planned(const CheckPlan& plan) override {
        std::unique_lock<std::mutex> lock(job_.mutex);
        job_.pending.planned = true;
        job_.pending.plan = plan;
        job_.Arrived(lock);
    }
    void Row(const CheckRow& row) override {
        std::unique_lock<std::mutex> lock(job_.mutex);
        job_.taken.wait(lock, [this] { return job_.rows.size() < kMostQueuedRows || job_.cancel; });
        job_.rows.push_back(row);
        job_.Arrived(lock);
    }
    void Progressed(const CheckProgress& progress) override {
        std::unique_lock<std::mutex> lock(job_.mutex);
        job_.pending.progressed = true;
        job_.pending.progress = progress;
        job_.Arrived(lock);
    }
    void FolderNotListed(const std::string& path, const std::string& error) override {
        Note({RunNote::Kind::kFolderNotListed, path, error, 0});
    }
    void LinkLeftOut(const std::string& path, const std::string& error) override {
        Note({RunNote::Kind::kLinkLeftOut, path, error, 0});
    }
    void ListNamesItself(std::size_t line) override {
        Note({RunNote::Kind::kListNamesItself, std::string(), std::string(), line});
    }
    void ListFoundAs(const std::string& name) override {
        Note({RunNote::Kind::kListFoundAs, name, std::string(), 0});
    }

  private:
    void Note(RunNote note) {
        std::unique_lock<std::mutex> lock(job_.mutex);
        job_.pending.notes.push_back(std::move(note));
        job_.Arrived(lock);
    }

    Shared& job_;
};

CheckJob::CheckJob(Run run, CheckOptions options, std::set<std::string> only, bool useOnly,
                   std::function<void()> wake)
    : shared_(std::make_shared<Shared>()) {
    shared_->wake = std::move(wake);
    shared_->only = std::move(only);
    options.cancel = &shared_->cancel;
    options.only = useOnly ? &shared_->only : nullptr;
    std::thread([shared = shared_, run = std::move(run), options] {
        Work(shared, run, options);
    }).detach();
}

CheckJob::~CheckJob() {
    Cancel();
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->wake = nullptr;
}

bool CheckJob::CancelAsked() const {
    return shared_->cancel;
}

void CheckJob::Cancel() {
    {
        // Under the lock, so that a worker about to wait for a take sees it.
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->cancel = true;
    }
    shared_->taken.notify_all();
}

CheckBatch CheckJob::Take(std::size_t maxRows) {
    CheckBatch taken;
    bool queued = false;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        taken = std::move(shared_->pending);
        shared_->pending = CheckBatch();
        // Once the rows held are all taken, those queued since: swapped, not
        // moved one by one while the worker waits for the lock. At most
        // twice kMostQueuedRows are held between both sides.
        if (held_.empty()) held_.swap(shared_->rows);
        queued = !shared_->rows.empty();
        shared_->wakePending = false;
    }
    shared_->taken.notify_all();
    if (taken.finished) heldEnd_ = std::move(taken.outcome);
    taken.finished = false;
    taken.outcome = CheckOutcome();
    const std::size_t count = std::min(maxRows, held_.size());
    taken.rows.assign(std::make_move_iterator(held_.begin()),
                      std::make_move_iterator(held_.begin() + static_cast<std::ptrdiff_t>(count)));
    held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(count));
    taken.moreRows = !held_.empty() || queued;
    // The end is handed over with the last rows.
    if (heldEnd_ && !taken.moreRows) {
        taken.finished = true;
        taken.outcome = std::move(*heldEnd_);
        heldEnd_.reset();
    }
    return taken;
}

void CheckJob::Work(const std::shared_ptr<Shared>& shared, const Run& run,
                    const CheckOptions& options) {
    QueueSink sink(*shared);
    CheckOutcome outcome;
    const auto failed = [&outcome](const char* why) {
        outcome = CheckOutcome();
        outcome.end = CheckOutcome::End::kRefused;
        outcome.error = why;
    };
    try {
        outcome = run(options, sink);
    } catch (const std::bad_alloc&) {
        failed("There is not enough memory for this run; it was stopped.");
    } catch (const std::exception& failure) {
        failed(failure.what());
    } catch (...) {
        failed("The run failed in an unforeseen way and was stopped.");
    }
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->pending.finished = true;
    shared->pending.outcome = std::move(outcome);
    shared->Arrived(lock);
}

}  // namespace sumbrook
