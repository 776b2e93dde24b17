#include "verifier/OneFileJob.h"

#include <exception>
#include <utility>

namespace sumbrook {

OneFileJob::OneFileJob(std::string path, std::vector<DigestKind> kinds, std::function<void()> wake)
    : wake_(std::move(wake)) {
    worker_ = std::thread([this, path = std::move(path), kinds = std::move(kinds)] {
        FileDigestsOutcome outcome;
        try {
            outcome = ComputeFileDigests(path, kinds, cancel_,
                                         [this](std::uint64_t done, std::uint64_t total) {
                                             {
                                                 const std::lock_guard<std::mutex> lock(mutex_);
                                                 state_.done = done;
                                                 state_.total = total;
                                             }
                                             Post();
                                         });
        } catch (const std::exception& failure) {
            outcome.status = FileDigestsOutcome::Status::kFailed;
            outcome.error = failure.what();
        }
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            state_.finished = true;
            state_.outcome = std::move(outcome);
        }
        Post();
    });
}

OneFileJob::~OneFileJob() {
    cancel_ = true;
    if (worker_.joinable()) worker_.join();
}

void OneFileJob::Post() {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (wakePending_) return;
        wakePending_ = true;
    }
    wake_();
}

OneFileProgress OneFileJob::Take() {
    const std::lock_guard<std::mutex> lock(mutex_);
    wakePending_ = false;
    return state_;
}

}  // namespace sumbrook
