#include "platform/SpreadThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <utility>
#include <vector>

namespace sumbrook {
namespace {

// Each thread of a group runs its work once, whatever its place among more
// threads than cores, and is waited for by join, a move or the destructor;
// a detached thread is neither waited for nor lost.
TEST(SpreadThread, RunsEveryPlaceAndWaitsOrDetaches) {
    std::atomic<unsigned> ran{0};
    {
        std::vector<SpreadThread> threads;
        for (unsigned place = 0; place < 9; ++place) {
            threads.emplace_back(place, [&ran, place] { ran.fetch_add(1U << place); });
        }
        threads[0].join();
        EXPECT_FALSE(threads[0].joinable());
        SpreadThread moved = std::move(threads[1]);
        EXPECT_TRUE(moved.joinable());
        EXPECT_FALSE(threads[1].joinable());
        moved = std::move(threads[2]);  // waits for the one it held
    }
    EXPECT_EQ(ran.load(), (1U << 9) - 1);

    std::promise<void> done;
    std::future<void> finished = done.get_future();
    SpreadThread detached(0, [&done] { done.set_value(); });
    detached.detach();
    EXPECT_FALSE(detached.joinable());
    finished.wait();
}

}  // namespace
}  // namespace sumbrook
