#include "verify/CheckRow.h"

namespace sumbrook {

const char* VerifyStatusName(VerifyStatus status) {
    switch (status) {
        case VerifyStatus::kOk:
            return "OK";
        case VerifyStatus::kChanged:
            return "CHANGED";
        case VerifyStatus::kMissing:
            return "MISSING";
        case VerifyStatus::kNew:
            return "NEW";
        case VerifyStatus::kEmpty:
            return "EMPTY";
        case VerifyStatus::kUnreadable:
            return "UNREADABLE";
        case VerifyStatus::kAmbiguous:
            return "AMBIGUOUS";
        case VerifyStatus::kDuplicate:
            return "DUPLICATE";
        case VerifyStatus::kDifferent:
            return "DIFFERENT";
    }
    return "?";
}

bool StatusCounts::AnyDifference() const {
    for (const VerifyStatus difference :
         {VerifyStatus::kChanged, VerifyStatus::kMissing, VerifyStatus::kNew,
          VerifyStatus::kAmbiguous, VerifyStatus::kDuplicate, VerifyStatus::kDifferent}) {
        if (Count(difference) > 0) return true;
    }
    return false;
}

std::size_t StatusCounts::Total() const {
    std::size_t total = 0;
    for (const std::size_t count : counts_) total += count;
    return total;
}

}  // namespace sumbrook
