#include "lists/ProtocolFormat.h"

#include <gtest/gtest.h>

namespace sumbrook {
namespace {

TEST(ProtocolFormat, DateAndTimeHaveFixedWidthFields) {
    const LocalDateTime when{2026, 12, 6, 1, 19, 4};
    EXPECT_EQ(ProtocolDateText(when), "06.12.2026");
    EXPECT_EQ(ProtocolTimeText(when), "01:19:04");
    EXPECT_EQ(ProtocolDateText({987, 1, 31, 0, 0, 0}), "31.01.0987");
    EXPECT_EQ(ProtocolTimeText({2026, 1, 1, 23, 59, 59}), "23:59:59");
    EXPECT_EQ(ProtocolTimeText({2026, 1, 1, 0, 0, 0}), "00:00:00");
}

TEST(ProtocolFormat, HeaderLineIsAlways62Characters) {
    EXPECT_EQ(ProtocolHeaderLine({2026, 12, 6, 1, 19, 4}),
              "CRC32-codes of following files calculated 06.12.2026, 01:19:04");
    EXPECT_EQ(ProtocolHeaderLine({1601, 1, 1, 0, 0, 0}).size(), 62U);
    EXPECT_EQ(ProtocolHeaderLine({9999, 12, 31, 23, 59, 59}).size(), 62U);
}

TEST(ProtocolFormat, DirectoryLineKeepsTheTextAsTyped) {
    EXPECT_EQ(ProtocolDirectoryLine("C:\\Data\\Samples"), "Directory C:\\Data\\Samples");
    EXPECT_EQ(ProtocolDirectoryLine(" C:\\x\\ "), "Directory  C:\\x\\ ");
    EXPECT_EQ(ProtocolDirectoryLine(""), "Directory ");
}

TEST(ProtocolFormat, ColumnLinePutsCrc32AboveTheChecksums) {
    EXPECT_EQ(kProtocolColumnLine.size(), 44U);
    EXPECT_EQ(kProtocolColumnLine.find("CRC32"), 34U);  // character 35
    EXPECT_EQ(ProtocolFileLine("a", "352441C2").find("352441C2"), 34U);
}

TEST(ProtocolFormat, SeparatorIsTheLongerOfHeaderAndDirectoryLine) {
    EXPECT_EQ(ProtocolSeparatorLine(62, 25), std::string(62, '-'));
    EXPECT_EQ(ProtocolSeparatorLine(62, 62), std::string(62, '-'));
    EXPECT_EQ(ProtocolSeparatorLine(62, 63), std::string(63, '-'));
    const std::string longDirectory(53, 'd');
    EXPECT_EQ(ProtocolSeparatorLine(62, ProtocolDirectoryLine(longDirectory).size()).size(), 63U);
}

TEST(ProtocolFormat, FileLineHasA34CharacterNameFieldAndNoBlankBeforeTheChecksum) {
    EXPECT_EQ(ProtocolFileLine("abc.txt", "352441C2"),
              "abc.txt                           352441C2");
    const std::string exactly34 = "abcdefghijklmnopqrstuvwxyz01234567";
    ASSERT_EQ(exactly34.size(), 34U);
    EXPECT_EQ(ProtocolFileLine(exactly34, "CBF43926"), exactly34 + "CBF43926");
    EXPECT_EQ(ProtocolFileLine("crc_check_value_of_the_nine_digits.txt", "CBF43926"),
              "crc_check_value_of_the_nine_digitsCBF43926");
    EXPECT_EQ(ProtocolFileLine("", "00000001"), std::string(34, ' ') + "00000001");
    EXPECT_EQ(ProtocolFileLine("name with  blanks ", "ABCDEF01").size(), 42U);
    EXPECT_EQ(ProtocolFileLine("\xE9t\xE9.txt", "ABCDEF01"),
              "\xE9t\xE9.txt" + std::string(27, ' ') + "ABCDEF01");
}

TEST(ProtocolFormat, CountLineHasTheSameWordingForEveryCount) {
    EXPECT_EQ(ProtocolCountLine(0), "0 files calculated by program Sumbrook.exe");
    EXPECT_EQ(ProtocolCountLine(1), "1 files calculated by program Sumbrook.exe");
    EXPECT_EQ(ProtocolCountLine(2147483647), "2147483647 files calculated by program Sumbrook.exe");
    EXPECT_EQ(ProtocolCountLine(12).size(), 2U + 41U);
}

}  // namespace
}  // namespace sumbrook
