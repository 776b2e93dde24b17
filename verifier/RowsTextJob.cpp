#include "verifier/RowsTextJob.h"

#include <algorithm>
#include <utility>

#include "verifier/CheckReport.h"

namespace sumbrook {

RowsTextJob::RowsTextJob(const RowTable& table, std::vector<std::size_t> indices)
    : indices_(std::move(indices)), allShown_(indices_.empty()) {
    count_ = allShown_ ? table.ShownCount() : indices_.size();
}

RowsTextJob::RowsTextJob(const RowTable& table, CheckOutcome outcome,
                         const std::vector<std::string>& notices, bool withRows)
    : saves_(true), allRows_(withRows && ReportHasRows(outcome)), outcome_(std::move(outcome)) {
    count_ = allRows_ ? table.Rows().Count() : 0;
    text_ = ReportHead(outcome_, notices);
}

bool RowsTextJob::Step(const RowTable& table, std::size_t rows) {
    const RowStore& store = table.Rows();
    const std::size_t end = std::min(count_, next_ + rows);
    for (; next_ < end; ++next_) {
        const std::size_t index = allRows_    ? next_
                                  : allShown_ ? table.ShownIndex(next_)
                                              : indices_[next_];
        // A row taken out meanwhile ("failed again" found a file gone).
        if (index < store.Count()) text_ += ReportRowLine(store.At(index).Whole());
    }
    return next_ == count_;
}

std::string RowsTextJob::TakeText() {
    return std::exchange(text_, std::string());
}

std::string RowsTextJob::Tail() const {
    return ReportTail(outcome_);
}

}  // namespace sumbrook
