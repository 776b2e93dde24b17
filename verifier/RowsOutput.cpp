#include "verifier/RowsOutput.h"

#include <algorithm>
#include <utility>

#include "platform/WideText.h"
#include "verifier/Clipboard.h"

namespace sumbrook {

RowsOutput::~RowsOutput() {
    if (finisher_.joinable()) finisher_.join();
}

void RowsOutput::StartCopy(const RowTable& table, std::vector<std::size_t> indices) {
    job_ = std::make_unique<RowsTextJob>(table, std::move(indices));
    wide_.clear();
    ending_ = Ended();
}

void RowsOutput::StartSave(const RowTable& table, const std::string& path, CheckOutcome outcome,
                           const std::vector<std::string>& notices, bool withRows, bool requested) {
    job_ = std::make_unique<RowsTextJob>(table, path, std::move(outcome), notices, withRows);
    ending_ = Ended();
    ending_.saved = true;
    ending_.requested = requested;
    ending_.path = path;
}

bool RowsOutput::ContinueText(const RowTable& table, std::size_t rows) {
    const bool made = job_->Step(table, rows);
    if (!job_->Saves()) {
        wide_ += WideFromUtf8(job_->TakeText());
        // After the first slice, room for the whole text at the length so
        // far (a text that grows by doubling copies itself again and again).
        if (job_->Done() > 0 && job_->Done() == std::min(job_->Count(), rows)) {
            wide_.reserve(wide_.size() / job_->Done() * job_->Count() * 11 / 10 + 256);
        }
    }
    if (!made) return false;
    finished_ = false;
    const auto finish = [this](std::string fault) {
        ending_.fault = std::move(fault);
        finished_ = true;
        PostMessageW(window_, doneMessage_, 0, 0);
    };
    if (job_->Saves()) {
        finisher_ = std::thread([job = std::move(job_), finish] { finish(job->Finish()); });
    } else {
        job_.reset();
        finisher_ = std::thread([text = std::move(wide_), finish] {
            finish(PutTextOnClipboard(text) ? std::string()
                                            : std::string("could not be put on the clipboard"));
        });
    }
    return true;
}

bool RowsOutput::TakeEnd(Ended& ended) {
    if (!finisher_.joinable() || !finished_) return false;
    finisher_.join();
    ended = std::move(ending_);
    ending_ = Ended();
    return true;
}

std::string RowsOutput::StatusText() const {
    if (job_ != nullptr) {
        const std::size_t percent = job_->Count() == 0 ? 100 : job_->Done() * 100 / job_->Count();
        return std::string(" \xC2\xB7 ") +
               (job_->Saves() ? "Saving the report... " : "Copying... ") + std::to_string(percent) +
               "%";
    }
    if (finisher_.joinable()) {
        return ending_.saved ? " \xC2\xB7 Saving the report..." : " \xC2\xB7 Copying...";
    }
    return std::string();
}

}  // namespace sumbrook
