#include "platform/WinHandles.h"

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace sumbrook {
namespace {

ScopedFileHandle OpenExclusive(const std::string& path) {
    return ScopedFileHandle(
        CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

TEST(ScopedHandle, ClosesOnceAndHandsOwnershipOnByMove) {
    test::TempFolder folder;
    const std::string path = folder.Write("a.txt", "abc");
    {
        ScopedFileHandle first = OpenExclusive(path);
        ASSERT_TRUE(first.IsValid());
        EXPECT_FALSE(OpenExclusive(path).IsValid());  // held without sharing

        ScopedFileHandle second(std::move(first));
        EXPECT_FALSE(
            first.IsValid());  // NOLINT(bugprone-use-after-move): checks the moved-from state
        EXPECT_TRUE(second.IsValid());
        EXPECT_TRUE(first.Close());  // nothing to close

        ScopedFileHandle third;
        third = std::move(second);
        EXPECT_TRUE(third.IsValid());
        EXPECT_TRUE(third.Close());
        EXPECT_FALSE(third.IsValid());
        EXPECT_TRUE(third.Close());  // a second close does nothing
    }
    EXPECT_TRUE(OpenExclusive(path).IsValid());
}

TEST(ScopedHandle, FindHandleIsClosedWithFindClose) {
    test::TempFolder folder;
    folder.Write("a.txt", "abc");
    WIN32_FIND_DATAA data;
    ScopedFindHandle find(FindFirstFileA((folder / "*").c_str(), &data));
    ASSERT_TRUE(find.IsValid());
    EXPECT_TRUE(find.Close());
    EXPECT_FALSE(find.IsValid());
}

TEST(ScopedHandle, ResetClosesTheOldHandle) {
    test::TempFolder folder;
    const std::string path = folder.Write("a.txt", "abc");
    ScopedFileHandle handle = OpenExclusive(path);
    ASSERT_TRUE(handle.IsValid());
    handle.Reset();
    EXPECT_FALSE(handle.IsValid());
    EXPECT_TRUE(OpenExclusive(path).IsValid());
}

}  // namespace
}  // namespace sumbrook
