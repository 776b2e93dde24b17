#include "verify/ListHeaderTime.h"

#include <cstdint>
#include <cstdlib>

namespace sumbrook {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
// 9999-12-31 23:59:59 UTC.
constexpr std::int64_t kLastEpochSecond = 253402300799;

// The civil date of a day counted from 1970-01-01, in the proleptic
// Gregorian calendar (eras of 400 years, years starting in March).
LocalDateTime DateOfDay(std::int64_t day) {
    const std::int64_t shifted = day + 719468;  // days from 0000-03-01
    const std::int64_t era = shifted / 146097;
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    LocalDateTime date;
    date.day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    date.month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    date.year = static_cast<int>(yearOfEra + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

}  // namespace

std::optional<LocalDateTime> UtcFromEpochText(std::string_view text) {
    if (text.empty()) return std::nullopt;
    std::int64_t seconds = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        seconds = seconds * 10 + (c - '0');
        if (seconds > kLastEpochSecond) return std::nullopt;
    }
    LocalDateTime when = DateOfDay(seconds / kSecondsPerDay);
    const std::int64_t secondOfDay = seconds % kSecondsPerDay;
    when.hour = static_cast<int>(secondOfDay / 3600);
    when.minute = static_cast<int>(secondOfDay / 60 % 60);
    when.second = static_cast<int>(secondOfDay % 60);
    return when;
}

LocalDateTime ListHeaderTime(std::string& warning) {
    warning.clear();
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (text == nullptr || *text == '\0') return LocalNow();
    if (const std::optional<LocalDateTime> when = UtcFromEpochText(text)) return *when;
    warning =
        "SOURCE_DATE_EPOCH is not a number of seconds since 1970; the list's header has the "
        "local time";
    return LocalNow();
}

}  // namespace sumbrook
