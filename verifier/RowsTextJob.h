// The text of many rows made a slice at a time, so that the window answers
// between two slices: the lines of the rows Copy takes, or the report Save
// writes (CheckReport.h), which is handed on a slice at a time (to the
// thread that writes it) and is never held whole. The rows are read from the table at each step;
// the table must not be cleared, reordered or have rows taken out meanwhile (rows added after those
// taken are no matter).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "verifier/RowTable.h"
#include "verify/CheckSink.h"

namespace sumbrook {

class RowsTextJob {
  public:
    // Copy: the report lines of the rows at `indices` (report order), or
    // when `indices` is empty, of every row shown, in the order shown.
    RowsTextJob(const RowTable& table, std::vector<std::size_t> indices);
    // Save: the report of a check that ended with `outcome` (its notices,
    // and with `withRows` every row of the table): its head at once, a
    // slice of its rows each step, Tail last.
    RowsTextJob(const RowTable& table, CheckOutcome outcome,
                const std::vector<std::string>& notices, bool withRows);

    bool Saves() const { return saves_; }
    std::size_t Count() const { return count_; }
    std::size_t Done() const { return next_; }

    // Makes the lines of up to `rows` rows more, kept for TakeText; true
    // when every row's is made.
    bool Step(const RowTable& table, std::size_t rows);
    // The text made since the last take, UTF-8, CR LF after each line.
    std::string TakeText();
    // Save: the report's summary, after every row's line.
    std::string Tail() const;

  private:
    bool saves_ = false;
    std::vector<std::size_t> indices_;
    bool allShown_ = false;
    bool allRows_ = false;
    std::size_t count_ = 0;
    std::size_t next_ = 0;
    std::string text_;
    CheckOutcome outcome_;
};

}  // namespace sumbrook
