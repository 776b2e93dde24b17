// SOURCE_DATE_EPOCH read as a UTC date and time, against the C library's
// gmtime_r, and the texts that are refused.
#include "verify/ListHeaderTime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <string>

namespace sumbrook {
namespace {

LocalDateTime GmTime(std::int64_t seconds) {
    const auto value = static_cast<std::time_t>(seconds);
    std::tm utc{};
    gmtime_r(&value, &utc);
    return {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec};
}

void ExpectSameTime(const LocalDateTime& actual, const LocalDateTime& expected,
                    std::int64_t seconds) {
    EXPECT_EQ(actual.year, expected.year) << seconds;
    EXPECT_EQ(actual.month, expected.month) << seconds;
    EXPECT_EQ(actual.day, expected.day) << seconds;
    EXPECT_EQ(actual.hour, expected.hour) << seconds;
    EXPECT_EQ(actual.minute, expected.minute) << seconds;
    EXPECT_EQ(actual.second, expected.second) << seconds;
}

class EpochTextAccepted : public testing::TestWithParam<std::int64_t> {};

TEST_P(EpochTextAccepted, GivesTheUtcTimeOfGmtime) {
    const std::int64_t seconds = GetParam();
    const auto when = UtcFromEpochText(std::to_string(seconds));
    ASSERT_TRUE(when.has_value()) << seconds;
    ExpectSameTime(*when, GmTime(seconds), seconds);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, EpochTextAccepted,
                         testing::Values(0, 59, 3599, 86399, 86400,
                                         951782399,     // 2000-02-28 23:59:59
                                         951868799,     // 2000-02-29 23:59:59
                                         1700000000,    // a commit's date
                                         4107542399,    // 2100-02-28 23:59:59, no leap day in 2100
                                         4107542400,    // 2100-03-01
                                         253402300799)  // 9999-12-31 23:59:59
);

TEST(EpochTextAccepted, EveryDayOfFiveCenturiesAtAnOddTime) {
    for (std::int64_t day = 0; day < 200000; ++day) {
        const std::int64_t seconds = day * 86400 + 45296;  // 12:34:56
        const auto when = UtcFromEpochText(std::to_string(seconds));
        ASSERT_TRUE(when.has_value()) << seconds;
        ExpectSameTime(*when, GmTime(seconds), seconds);
        if (testing::Test::HasFailure()) return;
    }
}

TEST(EpochTextAccepted, LeadingZerosAreDigitsToo) {
    const auto when = UtcFromEpochText("0001700000000");
    ASSERT_TRUE(when.has_value());
    ExpectSameTime(*when, GmTime(1700000000), 1700000000);
}

class EpochTextRefused : public testing::TestWithParam<const char*> {};

TEST_P(EpochTextRefused, GivesNothing) {
    EXPECT_FALSE(UtcFromEpochText(GetParam()).has_value()) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(NotSecondsSince1970, EpochTextRefused,
                         testing::Values("", " ", "-1", "+1", "1.5", "12x", "0x10", " 1700000000",
                                         "1700000000\n", "253402300800",
                                         "99999999999999999999999999"));

}  // namespace
}  // namespace sumbrook
