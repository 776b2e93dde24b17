#include "verify/RunSteps.h"

namespace sumbrook {

void RunSteps::Start(CheckStep step) {
    step_ = step;
    told_ = Clock::now();
    sink_.Stepped(step, 0);
}

bool RunSteps::Went(std::size_t done) {
    if (Cancelled()) return false;
    const Clock::time_point now = Clock::now();
    if (now - told_ >= std::chrono::milliseconds(100)) {
        told_ = now;
        sink_.Stepped(step_, done);
    }
    return true;
}

ListingControl RunSteps::Listing(std::size_t before) {
    ListingControl control;
    control.cancel = options_.cancel;
    control.found = [this, before](std::size_t found) { Went(before + found); };
    control.ahead = ahead_;
    control.threads = options_.jobs;
    return control;
}

}  // namespace sumbrook
