// The date and time that the header of a list written by sumbrook-cli names.
// SOURCE_DATE_EPOCH, when set, fixes it, so that a list written in a build
// has the same bytes on every machine and every day.
#pragma once

#include <cstdio>
#include <optional>
#include <string_view>

#include "platform/LocalClock.h"

namespace sumbrook {

// The UTC date and time of `text` read as SOURCE_DATE_EPOCH: decimal digits
// only, seconds since 1970-01-01 00:00:00 UTC, up to the end of year 9999.
// Nothing for any other text, the empty one included.
std::optional<LocalDateTime> UtcFromEpochText(std::string_view text);

// The time of SOURCE_DATE_EPOCH in UTC when it is set and not empty, else
// LocalNow(). A value that is not such a number gets a warning on `err` and
// the local clock.
LocalDateTime ListHeaderTime(std::FILE* err);

}  // namespace sumbrook
