#include "platform/ErrorModeGuard.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

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

// Two readers whose guards overlap: A enters, B enters, A leaves while B is
// still reading. Each thread's own mode must hold until its own guard goes,
// and the process's mode must never change.
TEST(ErrorModeGuard, ThreadScopeGuardsOverlapWithoutUndoingEachOther) {
    constexpr DWORD kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    SetErrorMode(0);
    std::promise<void> bEntered;
    std::promise<void> aLeft;
    std::promise<DWORD> bModeAfterALeft;
    std::thread b([&] {
        ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
        bEntered.set_value();
        if (aLeft.get_future().wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            bModeAfterALeft.set_value(0xFFFFFFFF);
            return;
        }
        bModeAfterALeft.set_value(GetThreadErrorMode());
    });
    {
        ErrorModeGuard guard(FsRedirection::kOff, ErrorModeScope::kThread);
        EXPECT_EQ(GetThreadErrorMode(), kQuiet);
        ASSERT_EQ(bEntered.get_future().wait_for(std::chrono::seconds(30)),
                  std::future_status::ready);
        EXPECT_EQ(CurrentErrorMode(), 0U);
    }
    EXPECT_EQ(GetThreadErrorMode(), 0U);
    aLeft.set_value();
    auto bMode = bModeAfterALeft.get_future();
    ASSERT_EQ(bMode.wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(bMode.get(), kQuiet);
    b.join();
    EXPECT_EQ(CurrentErrorMode(), 0U);
}

}  // namespace
}  // namespace sumbrook
