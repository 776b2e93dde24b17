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
    bool byColumn = false;  // false: report order
    RowColumn column = RowColumn::kName;
    bool descending = false;
    bool problemsFirst = false;
    bool problemsOnly = false;
};

class RowTable {
  public:
    void Clear();
    // Adds rows after those already there in report order. Costs the new
    // rows' sort and one pass over the shown rows.
    void Append(std::vector<CheckRow> rows);

    void SetOrder(const RowOrder& order);
    const RowOrder& Order() const { return order_; }

    std::size_t ShownCount() const { return shown_.size(); }
    const CheckRow& Shown(std::size_t position) const { return rows_[shown_[position]]; }

    // In report order.
    const std::vector<CheckRow>& Rows() const { return rows_; }

    // The names of the rows that are not OK ("Check failed again").
    std::set<std::string> ProblemNames() const;

  private:
    bool Shows(const CheckRow& row) const;
    bool Before(std::size_t a, std::size_t b) const;

    std::vector<CheckRow> rows_;
    std::vector<std::size_t> shown_;  // indices into rows_
    RowOrder order_;
};

}  // namespace sumbrook
