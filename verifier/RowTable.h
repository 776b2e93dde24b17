// Every row of a check in report order (kept small, RowStore.h), and the
// order and selection the list view shows them in: sorted by a column (up or
// down) or in report order, problems first or not, problems only or all.
// Rows added during a run take their place in the shown order at once, so
// the user can sort while a check runs. A new order of many rows is sorted
// in slices (ContinueSort); until it is done the rows show in the order
// before, and no rows are added.
#pragma once

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "verifier/RowStore.h"
#include "verifier/RowText.h"
#include "verifier/SlicedSort.h"
#include "verify/CheckRow.h"

namespace sumbrook {

struct RowOrder {
    bool byColumn = false;   // false: report order
    std::size_t column = 0;  // in kRowColumns
    bool descending = false;
    bool problemsFirst = false;
    bool problemsOnly = false;
};

class RowTable {
  public:
    RowTable();
    ~RowTable();
    RowTable(const RowTable&) = delete;
    RowTable& operator=(const RowTable&) = delete;

    void Clear();
    // Room for `rows` rows in all, so that a run of a known size grows the
    // table without moving it.
    void Reserve(std::size_t rows) { rows_.Reserve(rows); }
    // Adds rows after those already there in report order. Costs the new
    // rows' sort and one pass over the shown rows.
    void Append(const CheckRow* rows, std::size_t count);
    void Append(const std::vector<CheckRow>& rows) { Append(rows.data(), rows.size()); }
    // Puts `row` in the place of the row at `index` (report order). It is
    // shown where that row was until the order is set again.
    void Replace(std::size_t index, const CheckRow& row);
    // Takes out the rows at `indices` (report order, ascending).
    void Remove(const std::vector<std::size_t>& indices);

    // Takes `order`; sorts at once as far as a slice of work goes, and the
    // rest with ContinueSort.
    void SetOrder(const RowOrder& order);
    const RowOrder& Order() const { return order_; }
    bool Sorting() const { return sort_ != nullptr; }
    // About `work` comparisons more; true once the new order is shown.
    bool ContinueSort(std::size_t work);

    std::size_t ShownCount() const { return shown_.size(); }
    RowRef Shown(std::size_t position) const { return rows_.At(shown_[position]); }
    // The row's index in report order.
    std::size_t ShownIndex(std::size_t position) const { return shown_[position]; }

    // In report order.
    const RowStore& Rows() const { return rows_; }

    // The rows that are not OK ("Check failed again"), in report order.
    std::vector<std::size_t> ProblemRows() const;
    // Their names.
    std::set<std::string> ProblemNames() const;
    // Every row counted by status.
    StatusCounts Counts() const;

  private:
    bool Shows(RowRef row) const;
    bool Before(std::size_t a, std::size_t b) const;
    bool Sorted() const { return order_.byColumn || order_.problemsFirst; }
    void FinishSort();

    RowStore rows_;
    std::vector<std::size_t> shown_;   // indices into rows_
    std::vector<std::size_t> merged_;  // Append's buffer
    RowOrder order_;
    std::unique_ptr<SlicedSort> sort_;
};

}  // namespace sumbrook
