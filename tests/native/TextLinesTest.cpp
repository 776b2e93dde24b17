#include "platform/TextLines.h"

#include <gtest/gtest.h>

namespace sumbrook {
namespace {

TEST(JoinLines, JoinsWithCrLfAndNoFinalBreak) {
    EXPECT_EQ(JoinLines({}), "");
    EXPECT_EQ(JoinLines({"one"}), "one");
    EXPECT_EQ(JoinLines({"a  ", "", "b"}), "a  \r\n\r\nb");
    EXPECT_EQ(JoinLines({"", ""}), "\r\n");
}

}  // namespace
}  // namespace sumbrook
