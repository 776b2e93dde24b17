#include "app/HelpText.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "crc/Crc32.h"

namespace sumbrook {
namespace {

std::vector<std::string> SplitCrLf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find("\r\n", from);
        lines.push_back(text.substr(from, at - from));
        if (at == std::string::npos) return lines;
        from = at + 2;
    }
}

TEST(InfoHelpText, IsTheNineteenLinesByteForByte) {
    const std::string text = InfoHelpText("C:\\TEMP\\");
    EXPECT_EQ(text.size(), 901U);
    EXPECT_EQ(Crc32Text(Crc32Update(0, text.data(), text.size())), "4BF3E63B");
    EXPECT_NE(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find('\n') - 1, text.find('\r'));  // CR LF, never a bare LF

    const std::vector<std::string> lines = SplitCrLf(text);
    ASSERT_EQ(lines.size(), 19U);
    EXPECT_EQ(lines[0], "Program calculates  CRC32  cyclic redundant code  of particular file.  ");
    EXPECT_EQ(lines[5].find("''ALL files ...''"), 18U);  // two apostrophes, no double quote
    EXPECT_EQ(lines[8], "of  ''Browse''  button.");
    EXPECT_EQ(lines[9], "");
    EXPECT_EQ(lines[12], "C:\\TEMP\\");
    EXPECT_EQ(lines[13], "");
    EXPECT_EQ(lines[17], "");
    EXPECT_EQ(lines[18], std::string(19, ' ') + "May 2005, Ostrobel (CZE)");
}

TEST(InfoHelpText, ShowsTheTemporaryDirectoryAsLine13EvenWhenEmpty) {
    const std::vector<std::string> lines = SplitCrLf(InfoHelpText(""));
    ASSERT_EQ(lines.size(), 19U);
    EXPECT_EQ(lines[12], "");
    EXPECT_EQ(SplitCrLf(InfoHelpText("D:\\a b\\"))[12], "D:\\a b\\");
}

}  // namespace
}  // namespace sumbrook
