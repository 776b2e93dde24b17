#include "verifier/RowTable.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "verifier/StatusTone.h"

namespace sumbrook {

void RowTable::Clear() {
    rows_.clear();
    shown_.clear();
}

bool RowTable::Shows(const CheckRow& row) const {
    return !order_.problemsOnly || IsProblem(row.status);
}

bool RowTable::Before(std::size_t a, std::size_t b) const {
    const CheckRow& rowA = rows_[a];
    const CheckRow& rowB = rows_[b];
    if (order_.problemsFirst) {
        const bool problemA = IsProblem(rowA.status);
        if (problemA != IsProblem(rowB.status)) return problemA;
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

void RowTable::Append(std::vector<CheckRow> rows) {
    const std::size_t first = rows_.size();
    rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    const std::size_t oldShown = shown_.size();
    for (std::size_t index = first; index < rows_.size(); ++index) {
        if (Shows(rows_[index])) shown_.push_back(index);
    }
    if (!order_.byColumn && !order_.problemsFirst) return;  // report order: already in place
    const auto before = [this](std::size_t a, std::size_t b) { return Before(a, b); };
    const auto middle = shown_.begin() + static_cast<std::ptrdiff_t>(oldShown);
    std::sort(middle, shown_.end(), before);
    std::inplace_merge(shown_.begin(), middle, shown_.end(), before);
}

void RowTable::SetOrder(const RowOrder& order) {
    order_ = order;
    shown_.clear();
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        if (Shows(rows_[index])) shown_.push_back(index);
    }
    if (order_.byColumn || order_.problemsFirst) {
        std::sort(shown_.begin(), shown_.end(),
                  [this](std::size_t a, std::size_t b) { return Before(a, b); });
    }
}

void RowTable::Replace(std::size_t index, CheckRow row) {
    rows_[index] = std::move(row);
}

void RowTable::Remove(const std::vector<std::size_t>& indices) {
    if (indices.empty()) return;
    std::size_t kept = 0;
    auto removed = indices.begin();
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        if (removed != indices.end() && *removed == index) {
            ++removed;
            continue;
        }
        if (kept != index) rows_[kept] = std::move(rows_[index]);
        ++kept;
    }
    rows_.resize(kept);
    SetOrder(order_);
}

std::vector<std::size_t> RowTable::ProblemRows() const {
    std::vector<std::size_t> indices;
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        if (IsProblem(rows_[index].status)) indices.push_back(index);
    }
    return indices;
}

StatusCounts RowTable::Counts() const {
    StatusCounts counts;
    for (const CheckRow& row : rows_) counts.Add(row);
    return counts;
}

std::set<std::string> RowTable::ProblemNames() const {
    std::set<std::string> names;
    for (const CheckRow& row : rows_) {
        if (IsProblem(row.status)) names.insert(row.name);
    }
    return names;
}

}  // namespace sumbrook
