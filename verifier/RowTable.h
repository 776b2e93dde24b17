// Every row of a check in report order, and the order and selection the
// list view shows them in: sorted by a column (up or down) or in report
// order, problems first or not, problems only or all. Rows added during a
// run take their place in the shown order at once, so the user can sort
// while a check runs.
#pragma once

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "verifier/RowText.h"
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
    void Clear();
    // Room for `rows` rows in all, so that a run of a known size grows the
    // table without moving it.
    void Reserve(std::size_t rows) { rows_.reserve(rows); }
    // Adds rows after those already there in report order. Costs the new
    // rows' sort and one pass over the shown rows.
    void Append(std::vector<CheckRow> rows);
    // Puts `row` in the place of the row at `index` (report order). It is
    // shown where that row was until the order is set again.
    void Replace(std::size_t index, CheckRow row);
    // Takes out the rows at `indices` (report order, ascending).
    void Remove(const std::vector<std::size_t>& indices);

    void SetOrder(const RowOrder& order);
    const RowOrder& Order() const { return order_; }

    std::size_t ShownCount() const { return shown_.size(); }
    const CheckRow& Shown(std::size_t position) const { return rows_[shown_[position]]; }

    // In report order.
    const std::vector<CheckRow>& Rows() const { return rows_; }

    // The rows that are not OK ("Check failed again"), in report order.
    std::vector<std::size_t> ProblemRows() const;
    std::set<std::string> ProblemNames() const;
    // Every row counted by status.
    StatusCounts Counts() const;

  private:
    bool Shows(const CheckRow& row) const;
    bool Before(std::size_t a, std::size_t b) const;

    std::vector<CheckRow> rows_;
    std::vector<std::size_t> shown_;  // indices into rows_
    RowOrder order_;
};

}  // namespace sumbrook
