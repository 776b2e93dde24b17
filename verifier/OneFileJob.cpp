#include "verifier/OneFileJob.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>

namespace sumbrook {

// What the worker and the job share; the worker holds it to its end.
struct OneFileJob::Shared {
    std::atomic<bool> cancel{false};
    std::mutex mutex;
    OneFileProgress state;
    bool wakePending = false;
    std::function<void()> wake;  // emptied (under `mutex`) when the job goes

    void Post() {
        const std::lock_guard<std::mutex> lock(mutex);
        if (wakePending || !wake) return;
        wakePending = true;
        // Only posts, so holding the lock meanwhile costs nothing.
        wake();
    }
};

namespace {

// The digests of `path` and, in the same read, its signature as `ask` says.
FileDigestsOutcome ReadFile(const std::string& path, const std::vector<DigestKind>& kinds,
                            const OneFileSignatureAsk& ask, const std::atomic<bool>& cancel,
                            const FileDigestsProgress& progress,
                            std::optional<SignedFileOutcome>& signature) {
    const std::string signaturePath = !ask.check          ? std::string()
                                      : !ask.path.empty() ? ask.path
                                                          : SignatureBeside(path);
    if (signaturePath.empty()) return ComputeFileDigests(path, kinds, cancel, progress);
    const std::uint32_t now = SecondsNow();
    const TrustedKeys keys = LoadTrustedKeys({}, {}, ask.storeFolder, now);
    DetachedSignatureCheck check(signaturePath, keys, now);
    FileDigestsOutcome outcome =
        ComputeFileDigests(path, kinds, cancel, progress, check.Error().empty() ? &check : nullptr);
    if (outcome.status == FileDigestsOutcome::Status::kDone || !check.Error().empty()) {
        signature = check.Finish();
    }
    return outcome;
}

}  // namespace

OneFileJob::OneFileJob(std::string path, std::vector<DigestKind> kinds, std::function<void()> wake,
                       OneFileSignatureAsk signature)
    : shared_(std::make_shared<Shared>()) {
    shared_->wake = std::move(wake);
    std::thread([shared = shared_, path = std::move(path), kinds = std::move(kinds),
                 ask = std::move(signature)] {
        FileDigestsOutcome outcome;
        std::optional<SignedFileOutcome> signed_;
        try {
            outcome = ReadFile(
                path, kinds, ask, shared->cancel,
                [&shared](std::uint64_t done, std::uint64_t total) {
                    {
                        const std::lock_guard<std::mutex> lock(shared->mutex);
                        shared->state.done = done;
                        shared->state.total = total;
                    }
                    shared->Post();
                },
                signed_);
        } catch (const std::exception& failure) {
            outcome.status = FileDigestsOutcome::Status::kFailed;
            outcome.error = failure.what();
        }
        {
            const std::lock_guard<std::mutex> lock(shared->mutex);
            shared->state.finished = true;
            shared->state.outcome = std::move(outcome);
            shared->state.signature = std::move(signed_);
        }
        shared->Post();
    }).detach();
}

OneFileJob::~OneFileJob() {
    shared_->cancel = true;
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->wake = nullptr;
}

void OneFileJob::Cancel() {
    shared_->cancel = true;
}

bool OneFileJob::CancelAsked() const {
    return shared_->cancel;
}

OneFileProgress OneFileJob::Take() {
    const std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->wakePending = false;
    return shared_->state;
}

}  // namespace sumbrook
