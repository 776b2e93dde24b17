#include "verifier/win/RowsOutput.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/ReplacingFileWriter.h"
#include "platform/WideText.h"
#include "verifier/win/Clipboard.h"

namespace sumbrook {

namespace {

// The most bytes of a report waiting for its writer: the window makes no
// more until the writer has room (a slow or remote disk).
constexpr std::size_t kMostWaitingBytes = 8U << 20;

}  // namespace

// What the window and the hand-over's thread share; the thread holds it to
// its end.
struct RowsOutput::Handover {
    std::mutex mutex;
    std::condition_variable more;
    std::deque<std::string> slices;  // Save: the report's text, in order
    std::size_t waitingBytes = 0;
    bool last = false;       // every slice is queued
    bool abandoned = false;  // the window went first: nothing is put in place
    bool windowWaits = false;
    bool finished = false;
    std::string fault;
    HWND window = nullptr;  // null once the window went
    UINT message = 0;

    void Tell() {
        if (window != nullptr) PostMessageW(window, message, 0, 0);
    }
    void End(std::string why) {
        const std::lock_guard<std::mutex> lock(mutex);
        fault = std::move(why);
        finished = true;
        Tell();
    }
};

RowsOutput::~RowsOutput() {
    if (handover_ == nullptr) return;
    const std::lock_guard<std::mutex> lock(handover_->mutex);
    handover_->window = nullptr;
    if (!handover_->last) handover_->abandoned = true;
    handover_->more.notify_all();
}

void RowsOutput::StartCopy(const RowTable& table, std::vector<std::size_t> indices) {
    job_ = std::make_unique<RowsTextJob>(table, std::move(indices));
    wide_.clear();
    saved_ = requested_ = false;
    path_.clear();
}

void RowsOutput::StartSave(const RowTable& table, const std::string& path, CheckOutcome outcome,
                           const std::vector<std::string>& notices, bool withRows, bool requested) {
    job_ = std::make_unique<RowsTextJob>(table, std::move(outcome), notices, withRows);
    saved_ = true;
    requested_ = requested;
    path_ = path;
    handover_ = std::make_shared<Handover>();
    handover_->window = window_;
    handover_->message = doneMessage_;
    // The file is made, written and put in its place on this thread.
    std::thread([handover = handover_, path] {
        ReplacingFileWriter writer(path);
        bool written = writer.Error().empty();
        while (true) {
            std::string slice;
            {
                std::unique_lock<std::mutex> lock(handover->mutex);
                handover->more.wait(lock, [&] {
                    return !handover->slices.empty() || handover->last || handover->abandoned;
                });
                if (handover->abandoned) return;
                if (handover->slices.empty()) break;
                slice = std::move(handover->slices.front());
                handover->slices.pop_front();
                handover->waitingBytes -= slice.size();
                if (handover->windowWaits && handover->waitingBytes < kMostWaitingBytes / 2) {
                    handover->windowWaits = false;
                    handover->Tell();
                }
            }
            if (written) written = writer.Write(slice);
        }
        if (written) written = writer.Commit();
        handover->End(written ? std::string() : writer.Error());
    }).detach();
}

bool RowsOutput::WaitsForWriter() const {
    if (handover_ == nullptr || !saved_) return false;
    const std::lock_guard<std::mutex> lock(handover_->mutex);
    return handover_->windowWaits;
}

bool RowsOutput::ContinueText(const RowTable& table, std::size_t rows) {
    if (job_->Saves()) {
        const auto queue = [this](std::string text, bool last) {
            const std::lock_guard<std::mutex> lock(handover_->mutex);
            handover_->waitingBytes += text.size();
            if (!text.empty()) handover_->slices.push_back(std::move(text));
            handover_->last = last;
            handover_->more.notify_all();
        };
        {
            const std::lock_guard<std::mutex> lock(handover_->mutex);
            if (handover_->waitingBytes >= kMostWaitingBytes) {
                handover_->windowWaits = true;
                return false;
            }
        }
        const bool made = job_->Step(table, rows);
        queue(job_->TakeText(), false);
        if (!made) return false;
        queue(job_->Tail(), true);
        job_.reset();
        return true;
    }
    const bool made = job_->Step(table, rows);
    wide_ += WideFromUtf8(job_->TakeText());
    // After the first slice, room for the whole text at the length so far
    // (a text that grows by doubling copies itself again and again).
    if (job_->Done() > 0 && job_->Done() == std::min(job_->Count(), rows)) {
        wide_.reserve(wide_.size() / job_->Done() * job_->Count() * 11 / 10 + 256);
    }
    if (!made) return false;
    job_.reset();
    handover_ = std::make_shared<Handover>();
    handover_->window = window_;
    handover_->message = doneMessage_;
    std::thread([handover = handover_, text = std::move(wide_)] {
        handover->End(PutTextOnClipboard(text) ? std::string()
                                               : std::string("could not be put on the clipboard"));
    }).detach();
    wide_.clear();
    return true;
}

bool RowsOutput::TakeEnd(Ended& ended) {
    if (handover_ == nullptr || job_ != nullptr) return false;
    {
        const std::lock_guard<std::mutex> lock(handover_->mutex);
        if (!handover_->finished) return false;
        ended.fault = std::move(handover_->fault);
    }
    handover_.reset();
    ended.saved = saved_;
    ended.requested = requested_;
    ended.path = path_;
    return true;
}

std::string RowsOutput::StatusText() const {
    if (job_ != nullptr) {
        const std::size_t percent = job_->Count() == 0 ? 100 : job_->Done() * 100 / job_->Count();
        return std::string(" \xC2\xB7 ") +
               (job_->Saves() ? "Saving the report... " : "Copying... ") + std::to_string(percent) +
               "%";
    }
    if (handover_ != nullptr) {
        return saved_ ? " \xC2\xB7 Saving the report..." : " \xC2\xB7 Copying...";
    }
    return std::string();
}

}  // namespace sumbrook
