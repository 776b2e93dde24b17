#include "app/PathSplit.h"

#include <gtest/gtest.h>

namespace sumbrook {
namespace {

struct SplitCase {
    const char* path;
    const char* directory;
    const char* file;
};

class SplitChosenPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitChosenPathTest, SplitsAtTheLastBackslash) {
    const SplitPath split = SplitChosenPath(GetParam().path);
    EXPECT_EQ(split.directory, GetParam().directory);
    EXPECT_EQ(split.file, GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    ChosenPaths, SplitChosenPathTest,
    ::testing::Values(SplitCase{"C:\\Work\\report.txt", "C:\\Work", "report.txt"},
                      SplitCase{"C:\\list.txt", "C:", "list.txt"},
                      SplitCase{"\\\\server\\share\\a.bin", "\\\\server\\share", "a.bin"},
                      SplitCase{"D:\\a\\b c\\name with  blanks ", "D:\\a\\b c",
                                "name with  blanks "},
                      SplitCase{"C:\\x", "C:", "x"},
                      // Not a full path: nothing to split at.
                      SplitCase{"name.txt", "", "name.txt"}, SplitCase{"", "", ""},
                      SplitCase{"\\\\x", "", "\\\\x"}));

TEST(WithoutTrailingBackslash, RemovesExactlyOne) {
    EXPECT_EQ(WithoutTrailingBackslash("D:\\data\\"), "D:\\data");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\"), "C:");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\a\\\\"), "C:\\a\\");
    EXPECT_EQ(WithoutTrailingBackslash("C:\\a"), "C:\\a");
    EXPECT_EQ(WithoutTrailingBackslash(""), "");
}

TEST(FilterList, ReplacesBarsWithNulAndEndsWithTwoNuls) {
    const std::string list = FilterList("Any file:  (*.*)|*.*");
    EXPECT_EQ(list, std::string("Any file:  (*.*)\0*.*\0", 21));
    EXPECT_EQ(list.c_str()[list.size()], '\0');
}

}  // namespace
}  // namespace sumbrook
