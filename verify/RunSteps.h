// The steps of a run before its files are read, as its sink and its cancel
// flag see them: each step told to the sink when it starts and then at most
// ten times a second, the flag looked at as often as the step is told of
// its progress. Internal to verify/.
#pragma once

#include <chrono>
#include <cstddef>

#include "files/ListingControl.h"
#include "verify/CheckSink.h"

namespace sumbrook {

class RunSteps {
  public:
    RunSteps(const CheckOptions& options, CheckSink& sink) : options_(options), sink_(sink) {}

    void Start(CheckStep step);
    // `done` of the present step so far; false once the run is cancelled.
    bool Went(std::size_t done);
    bool Cancelled() const {
        return options_.cancel != nullptr && options_.cancel->load(std::memory_order_relaxed);
    }
    // A listing's control that tells this step the files found, `before`
    // added to the listing's own count.
    ListingControl Listing(std::size_t before = 0);
    // The folder being listed ahead, for the listings (ListingControl::ahead).
    void ListAhead(FolderEntriesAhead* ahead) { ahead_ = ahead; }

  private:
    using Clock = std::chrono::steady_clock;
    const CheckOptions& options_;
    CheckSink& sink_;
    CheckStep step_ = CheckStep::kReadingList;
    Clock::time_point told_;
    FolderEntriesAhead* ahead_ = nullptr;
};

}  // namespace sumbrook
