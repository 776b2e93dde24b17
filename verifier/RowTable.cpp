#include "verifier/RowTable.h"

#include <algorithm>
#include <utility>

#include "verifier/StatusTone.h"

namespace sumbrook {

namespace {

// The comparisons SetOrder makes at once: a thousand rows or so sort whole.
constexpr std::size_t kSortAtOnce = 20000;

}  // namespace

RowTable::RowTable() = default;
RowTable::~RowTable() = default;

void RowTable::Clear() {
    sort_.reset();
    rows_.Clear();
    std::vector<std::size_t>().swap(shown_);
    std::vector<std::size_t>().swap(merged_);
}

bool RowTable::Shows(RowRef row) const {
    return !order_.problemsOnly || IsProblem(row.Status());
}

bool RowTable::Before(std::size_t a, std::size_t b) const {
    const RowRef rowA = rows_.At(a);
    const RowRef rowB = rows_.At(b);
    if (order_.problemsFirst) {
        const bool problemA = IsProblem(rowA.Status());
        if (problemA != IsProblem(rowB.Status())) return problemA;
    }
    if (order_.byColumn) {
        const auto less = kRowColumns[order_.column].less;
        if (order_.descending) {
            if (less(rowB, rowA)) return true;
            if (less(rowA, rowB)) return false;
        } else {
            if (less(rowA, rowB)) return true;
            if (less(rowB, rowA)) return false;
        }
    }
    return a < b;
}

void RowTable::Append(const CheckRow* rows, std::size_t count) {
    if (sort_ != nullptr) FinishSort();
    const std::size_t first = rows_.Count();
    for (std::size_t i = 0; i < count; ++i) rows_.Add(rows[i]);
    const std::size_t oldShown = shown_.size();
    for (std::size_t index = first; index < rows_.Count(); ++index) {
        if (Shows(rows_.At(index))) shown_.push_back(index);
    }
    if (!Sorted()) return;  // report order: already in place
    const auto before = [this](std::size_t a, std::size_t b) { return Before(a, b); };
    const auto middle = shown_.begin() + static_cast<std::ptrdiff_t>(oldShown);
    std::sort(middle, shown_.end(), before);
    // Merged through a buffer kept from one batch to the next: a run adds
    // its rows in many batches, each merged with all the rows shown.
    merged_.resize(shown_.size());
    std::merge(shown_.begin(), middle, middle, shown_.end(), merged_.begin(), before);
    shown_.swap(merged_);
}

void RowTable::Replace(std::size_t index, const CheckRow& row) {
    rows_.Replace(index, row);
}

void RowTable::Remove(const std::vector<std::size_t>& indices) {
    if (indices.empty()) return;
    rows_.Remove(indices);
    SetOrder(order_);
    FinishSort();
}

void RowTable::SetOrder(const RowOrder& order) {
    order_ = order;
    std::vector<std::size_t> shown;
    for (std::size_t index = 0; index < rows_.Count(); ++index) {
        if (Shows(rows_.At(index))) shown.push_back(index);
    }
    if (!Sorted()) {
        sort_.reset();
        shown_ = std::move(shown);
        return;
    }
    sort_ = std::make_unique<SlicedSort>(
        std::move(shown), [this](std::size_t a, std::size_t b) { return Before(a, b); });
    ContinueSort(kSortAtOnce);
}

bool RowTable::ContinueSort(std::size_t work) {
    if (sort_ == nullptr) return true;
    if (!sort_->Step(work)) return false;
    shown_ = sort_->Take();
    sort_.reset();
    return true;
}

void RowTable::FinishSort() {
    while (!ContinueSort(kSortAtOnce)) {
    }
}

std::vector<std::size_t> RowTable::ProblemRows() const {
    std::vector<std::size_t> indices;
    for (std::size_t index = 0; index < rows_.Count(); ++index) {
        if (IsProblem(rows_.At(index).Status())) indices.push_back(index);
    }
    return indices;
}

std::set<std::string> RowTable::ProblemNames() const {
    std::set<std::string> names;
    for (const std::size_t index : ProblemRows()) names.emplace(rows_.At(index).Name());
    return names;
}

StatusCounts RowTable::Counts() const {
    StatusCounts counts;
    for (std::size_t index = 0; index < rows_.Count(); ++index) {
        const RowRef row = rows_.At(index);
        if (row.Plain()) {
            counts.Add(row.Status());
        } else {
            counts.Add(row.Whole());
        }
    }
    return counts;
}

}  // namespace sumbrook
