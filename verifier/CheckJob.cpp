#include "verifier/CheckJob.h"

#include <exception>
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
        job_.pending_.rows.push_back(row);
        job_.Arrived(lock);
    }
    void Progressed(const CheckProgress& progress) override {
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.pending_.progressed = true;
        job_.pending_.progress = progress;
        job_.Arrived(lock);
    }
    void FolderNotListed(const std::string& path, const std::string& error) override {
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.pending_.foldersNotListed.push_back({path, error});
        job_.Arrived(lock);
    }
    void ListNamesItself(std::size_t line) override {
        std::unique_lock<std::mutex> lock(job_.mutex_);
        job_.pending_.listNamesItselfOn.push_back(line);
        job_.Arrived(lock);
    }

  private:
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

CheckBatch CheckJob::Take() {
    std::lock_guard<std::mutex> lock(mutex_);
    CheckBatch taken = std::move(pending_);
    pending_ = CheckBatch();
    wakePending_ = false;
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
