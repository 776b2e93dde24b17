#include "verifier/SlicedSort.h"

#include <algorithm>
#include <utility>

namespace sumbrook {

namespace {

constexpr std::size_t kRun = 256;
// About the comparisons a stable sort of one run costs.
constexpr std::size_t kRunWork = kRun * 8;

}  // namespace

SlicedSort::SlicedSort(std::vector<std::size_t> items, Less less)
    : items_(std::move(items)), less_(std::move(less)) {
    done_ = items_.size() <= 1;
}

void SlicedSort::StartPass() {
    low_ = 0;
    middle_ = std::min(width_, items_.size());
    high_ = std::min(2 * width_, items_.size());
    left_ = low_;
    right_ = middle_;
    out_ = low_;
}

bool SlicedSort::Step(std::size_t work) {
    const std::size_t count = items_.size();
    while (!done_ && work > 0) {
        if (sortedRuns_ < count) {
            const std::size_t end = std::min(sortedRuns_ + kRun, count);
            std::stable_sort(items_.begin() + static_cast<std::ptrdiff_t>(sortedRuns_),
                             items_.begin() + static_cast<std::ptrdiff_t>(end), less_);
            sortedRuns_ = end;
            work -= std::min(work, kRunWork);
            if (sortedRuns_ == count) {
                width_ = kRun;
                if (width_ >= count) {
                    done_ = true;
                    break;
                }
                merged_.resize(count);
                StartPass();
            }
            continue;
        }
        // Merge the pair going on, an item a comparison.
        while (work > 0 && left_ < middle_ && right_ < high_) {
            // Equal items take the left first: the sort is stable.
            if (less_(items_[right_], items_[left_])) {
                merged_[out_++] = items_[right_++];
            } else {
                merged_[out_++] = items_[left_++];
            }
            --work;
        }
        if (left_ < middle_ && right_ < high_) break;
        while (left_ < middle_) merged_[out_++] = items_[left_++];
        while (right_ < high_) merged_[out_++] = items_[right_++];
        // The next pair, or the next pass.
        low_ = high_;
        if (low_ >= count) {
            items_.swap(merged_);
            width_ *= 2;
            if (width_ >= count) {
                done_ = true;
                std::vector<std::size_t>().swap(merged_);
                break;
            }
            StartPass();
            continue;
        }
        middle_ = std::min(low_ + width_, count);
        high_ = std::min(low_ + 2 * width_, count);
        left_ = low_;
        right_ = middle_;
        out_ = low_;
    }
    return done_;
}

}  // namespace sumbrook
