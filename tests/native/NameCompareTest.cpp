#include "files/NameCompare.h"

#include <gtest/gtest.h>

namespace sumbrook {
namespace {

TEST(NameCompare, UpperCasesAsciiLettersOnly) {
    EXPECT_EQ(UpperCaseName("report.txt"), "REPORT.TXT");
    EXPECT_EQ(UpperCaseName("Az09 _-.~[]{}@`"), "AZ09 _-.~[]{}@`");
    EXPECT_EQ(UpperCaseName(""), "");
}

TEST(NameCompare, FoldsTheSevenCodePage437Letters) {
    EXPECT_EQ(UpperCaseName("\x81\x82\x84\x86\x87\x94\xA4"), "\x9A\x90\x8E\x8F\x80\x99\xA5");
}

TEST(NameCompare, EveryOtherByteIsKept) {
    const std::string folded = "\x81\x82\x84\x86\x87\x94\xA4";
    for (int value = 0; value < 256; ++value) {
        const char byte = static_cast<char>(value);
        if ((value >= 'a' && value <= 'z') || folded.find(byte) != std::string::npos) continue;
        EXPECT_EQ(UpperCaseNameByte(byte), byte) << "byte " << value;
    }
}

TEST(NameCompare, MatchesIgnoringCaseOfFoldedLetters) {
    EXPECT_TRUE(NamesMatch("report.txt", "Report.TXT"));
    EXPECT_TRUE(
        NamesMatch("\x81"
                   "ber.txt",
                   "\x9A"
                   "BER.TXT"));
    EXPECT_TRUE(NamesMatch("", ""));
}

TEST(NameCompare, OtherLettersMustMatchByteForByte) {
    // ANSI small e acute against its capital: not folded.
    EXPECT_FALSE(NamesMatch("caf\xE9.txt", "CAF\xC9.TXT"));
    EXPECT_TRUE(NamesMatch("caf\xC9.txt", "CAF\xC9.TXT"));
    // A folded letter and its capital are the same letter.
    EXPECT_TRUE(NamesMatch("\x9A", "\x81"));
    EXPECT_FALSE(NamesMatch("\x9A", "\x9B"));
}

TEST(NameCompare, LengthAndBlanksCount) {
    EXPECT_FALSE(NamesMatch("a.txt ", "a.txt"));
    EXPECT_FALSE(NamesMatch(" a.txt", "a.txt"));
    EXPECT_FALSE(NamesMatch("*.*", "a.txt"));
    EXPECT_FALSE(NamesMatch("", "a.txt"));
    EXPECT_FALSE(NamesMatch(std::string("a\0", 2), "a"));
}

}  // namespace
}  // namespace sumbrook
