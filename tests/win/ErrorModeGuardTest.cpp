#include "platform/ErrorModeGuard.h"

#include <gtest/gtest.h>

namespace sumbrook {
namespace {

UINT CurrentErrorMode() {
    const UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode;
}

TEST(ErrorModeGuard, SetsTheQuietModeAndRestoresThePreviousOne) {
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    {
        ErrorModeGuard guard;
        EXPECT_EQ(CurrentErrorMode(),
                  static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
        {
            ErrorModeGuard inner(FsRedirection::kOff);
            EXPECT_EQ(CurrentErrorMode(),
                      static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
        }
        EXPECT_EQ(CurrentErrorMode(),
                  static_cast<UINT>(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX));
    }
    EXPECT_EQ(CurrentErrorMode(), static_cast<UINT>(SEM_NOGPFAULTERRORBOX));
    SetErrorMode(0);
}

TEST(ErrorModeGuard, KeepsTheLastErrorOfTheGuardedCall) {
    {
        ErrorModeGuard guard(FsRedirection::kOff);
        EXPECT_EQ(GetFileAttributesA("Z:\\no\\such\\folder\\file.txt"), INVALID_FILE_ATTRIBUTES);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

}  // namespace
}  // namespace sumbrook
