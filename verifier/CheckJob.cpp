#include "verifier/CheckJob.h"

#include <algorithm>
#include <exception>
#include <iterator>
#include <new>
#include <utility>

namespace sumbrook {

class CheckJob::QueueSink final : public CheckSink {
  public:
    explicit QueueSink(CheckJob& job) : job_(job) {}

    void Stepped(CheckStep step, std::size_t done) override {
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.pending_.stepped = true;
        job_.pending_.step = step;
        job_.pending_.stepDone = done;
        job_.Arrived(lock);
    }
    void Planned(const CheckPlan& plan) override {
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.pending_.planned = true;
        job_.pending_.plan = plan;
        job_.Arrived(lock);
    }
    void Row(const CheckRow& row) override {
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.taken_.wait(lock,
                         [this] { return job_.rows_.size() < kMostQueuedRows || job_.cancel_; });
        job_.rows_.push_back(row);
        job_.Arrived(lock);
    }
    void Progressed(const CheckProgress& progress) override {
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.pending_.progressed = true;
        job_.pending_.progress = progress;
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
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.pending_.notes.push_back(std::move(note));
        job_.Arrived(lock);
    }

    CheckJob& job_;
};

CheckJob::CheckJob(Run run, CheckOptions options, std::set<std::string> only, bool useOnly,
                   std::function<void()> wake)
    : wake_(std::move(wake)), only_(std::move(only)) {
    options.cancel = &cancel_;
    options.only = useOnly ? &only_ : nullptr;
    worker_ = std::thread([this, run = std::move(run), options] { Work(run, options); });
}

CheckJob::~CheckJob() {
    Cancel();
    Join();
}

void CheckJob::Join() {
    if (worker_.joinable()) worker_.join();
}

void CheckJob::Arrived(std::unique_lock<std::mutex>& lock) {
    if (wakePending_) return;
    wakePending_ = true;
    lock.unlock();
    wake_();
}

void CheckJob::Cancel() {
    {
        // Under the lock, so that a worker about to wait for a take sees it.
        std::lock_guard<std::mutex> lock(mutex_);
        cancel_ = true;
    }
    taken_.notify_all();
}

CheckBatch CheckJob::Take(std::size_t maxRows) {
    CheckBatch taken;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        const bool finished = pending_.finished;
        taken = std::move(pending_);
        pending_ = CheckBatch();
        const std::size_t count = std::min(maxRows, rows_.size());
        taken.rows.assign(
            std::make_move_iterator(rows_.begin()),
            std::make_move_iterator(rows_.begin() + static_cast<std::ptrdiff_t>(count)));
        rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(count));
        taken.moreRows = !rows_.empty();
        // The end is handed over with the last rows.
        if (finished && taken.moreRows) {
            pending_.finished = true;
            pending_.outcome = std::move(taken.outcome);
            taken.finished = false;
            taken.outcome = CheckOutcome();
        }
        wakePending_ = false;
    }
    taken_.notify_all();
    return taken;
}

void CheckJob::Work(const Run& run, const CheckOptions& options) {
    QueueSink sink(*this);
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
    std::unique_lock<std::mutex> lock(mutex_);
    pending_.finished = true;
    pending_.outcome = std::move(outcome);
    Arrived(lock);
}

}  // namespace sumbrook
