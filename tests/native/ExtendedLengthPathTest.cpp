#include "platform/ExtendedLengthPath.h"

#include <gtest/gtest.h>

#include <string>

namespace sumbrook {
namespace {

TEST(ExtendedLengthPath, PrefixesOnlyLongDriveAndUncPaths) {
    const std::wstring tail(kExtendedLengthFrom, L'a');
    const struct {
        std::wstring path;
        std::wstring expected;
    } cases[] = {
        {L"C:\\short\\file.txt", L"C:\\short\\file.txt"},
        {L"C:\\" + tail, L"\\\\?\\C:\\" + tail},
        {L"z:\\" + tail, L"\\\\?\\z:\\" + tail},
        {L"\\\\server\\share\\" + tail, L"\\\\?\\UNC\\server\\share\\" + tail},
        {L"\\\\?\\C:\\" + tail, L"\\\\?\\C:\\" + tail},      // already extended
        {L"\\\\.\\pipe\\" + tail, L"\\\\.\\pipe\\" + tail},  // a device
        {L"relative\\" + tail, L"relative\\" + tail},        // not full
        {L"1:\\" + tail, L"1:\\" + tail},                    // no drive letter
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ExtendedLengthPath(c.path), c.expected)
            << std::string(c.path.begin(), c.path.begin() + 12);
    }
    // The first length that needs the prefix, and the one below it.
    const std::wstring below = L"C:\\" + std::wstring(kExtendedLengthFrom - 4, L'b');
    EXPECT_EQ(ExtendedLengthPath(below), below);
    EXPECT_EQ(ExtendedLengthPath(below + L"b"), L"\\\\?\\" + below + L"b");
}

}  // namespace
}  // namespace sumbrook
