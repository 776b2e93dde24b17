// The date and time that the header of a new list names, for sumbrook-cli
// and the verification window alike.
// SOURCE_DATE_EPOCH, when set, fixes it, so that a list written in a build
// has the same bytes on every machine and every day.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/LocalClock.h"

namespace sumbrook {

// The UTC date and time of `text` read as SOURCE_DATE_EPOCH: decimal digits
// only, seconds since 1970-01-01 00:00:00 UTC, up to the end of year 9999.
// Nothing for any other text, the empty one included.
std::optional<LocalDateTime> UtcFromEpochText(std::string_view text);

// The time of SOURCE_DATE_EPOCH in UTC when it is set and not empty, else
// LocalNow(). A value that is not such a number gives the local clock and
// sets `warning` to a sentence that says so (else `warning` is emptied).
LocalDateTime ListHeaderTime(std::string& warning);

}  // namespace sumbrook
