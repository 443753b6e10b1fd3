// The tables' timers on one Qt timer, on a real event loop.
#include <gtest/gtest.h>

#include <string>

#include "server/tables/timer_queue.h"
#include "support/room_server.h"

namespace redten::room {
namespace {

TEST(TimerQueue, RunsByDueTimeThenOrderAndNeverTheOneStartedInsideARun) {
    int afterEach = 0;
    TimerQueue timers([&] { ++afterEach; });
    std::string ran;
    timers.After(30, [&] { ran += "c"; });
    timers.After(10, [&] { ran += "a"; });
    timers.After(10, [&] { ran += "b"; });
    const TimerId cancelled = timers.After(20, [&] { ran += "x"; });
    timers.After(0, [&] {
        ran += "0";
        // Due at once, but only on a later turn of the loop.
        timers.After(0, [&] { ran += "1"; });
        EXPECT_EQ(ran, "0");
    });
    timers.Cancel(cancelled);
    timers.Cancel(cancelled);  // twice is nothing
    EXPECT_TRUE(ran.empty());  // nothing runs from inside After
    ASSERT_TRUE(test::WaitUntil([&] { return ran.size() == 5; }, 2000));
    EXPECT_EQ(ran, "01abc");
    EXPECT_EQ(afterEach, 5);
    EXPECT_EQ(timers.Pending(), 0u);
}

}  // namespace
}  // namespace redten::room
