// Entry point of every Windows test program: GoogleTest plus a watchdog that
// ends the process with a failure when one test runs too long, so that a
// stuck wait (a message box nobody closes, a dialog that never comes) fails
// the test program instead of hanging it.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD kPerTestLimitMs = 180000;

std::atomic<DWORD> g_testStartTick{0};
std::atomic<bool> g_testRunning{false};
char g_testName[256];

class WatchdogListener : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo& info) override {
        std::snprintf(g_testName, sizeof g_testName, "%s.%s", info.test_suite_name(), info.name());
        g_testStartTick = GetTickCount();
        g_testRunning = true;
    }
    void OnTestEnd(const ::testing::TestInfo&) override { g_testRunning = false; }
};

DWORD WINAPI WatchdogThread(LPVOID) {
    for (;;) {
        Sleep(500);
        if (g_testRunning && GetTickCount() - g_testStartTick > kPerTestLimitMs) {
            std::fprintf(stderr, "\nwatchdog: %s still running after %lu s, failing\n", g_testName,
                         kPerTestLimitMs / 1000);
            std::fflush(stderr);
            ExitProcess(3);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new WatchdogListener);
    CloseHandle(CreateThread(nullptr, 0, WatchdogThread, nullptr, 0, nullptr));
    return RUN_ALL_TESTS();
}
