// A sort that can stop and go on: a stable merge sort of indices (short runs
// sorted first, then merged pass by pass) that does about as many
// comparisons per Step as asked, so that a window's thread can sort a
// million rows between its answers to the user.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace sumbrook {

class SlicedSort {
  public:
    using Less = std::function<bool(std::size_t a, std::size_t b)>;

    SlicedSort(std::vector<std::size_t> items, Less less);

    // Goes on for about `work` comparisons; true once sorted.
    bool Step(std::size_t work);
    bool Done() const { return done_; }
    // The items in order, once Done.
    std::vector<std::size_t> Take() { return std::move(items_); }

  private:
    void StartPass();

    std::vector<std::size_t> items_;
    std::vector<std::size_t> merged_;
    Less less_;
    bool done_ = false;
    std::size_t sortedRuns_ = 0;  // items at the front sorted in runs
    std::size_t width_ = 0;       // of the runs merged by the pass going on
    std::size_t low_ = 0;         // the pair being merged: [low_, middle_) and [middle_, high_)
    std::size_t middle_ = 0;
    std::size_t high_ = 0;
    std::size_t left_ = 0;  // next item of each half, and the next place in `merged_`
    std::size_t right_ = 0;
    std::size_t out_ = 0;
};

}  // namespace sumbrook
