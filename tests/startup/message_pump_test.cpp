#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include "startup/message_pump.h"

namespace redten {
namespace {

TEST(WaitTime, EventsArrivingDuringTheWaitAreHandledInsideIt) {
    bool exiting = false;
    MessagePump pump([&] { return exiting; });
    bool fired = false;
    QTimer::singleShot(20, [&] { fired = true; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(pump.WaitTime(120));
    EXPECT_TRUE(fired);
    EXPECT_GE(clock.elapsed(), 119);
}

TEST(WaitTime, NestedWaitsRunInsideEachOther) {
    MessagePump pump([] { return false; });
    std::vector<int> order;
    QTimer::singleShot(10, [&] {
        order.push_back(1);
        pump.WaitTime(60);
        order.push_back(3);
    });
    QTimer::singleShot(30, [&] { order.push_back(2); });
    pump.WaitTime(150);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(WaitTime, StopsEarlyWhenTheProgramBeginsToEnd) {
    bool exiting = false;
    MessagePump pump([&] { return exiting; });
    QTimer::singleShot(10, [&] { exiting = true; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(pump.WaitTime(5000));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_FALSE(pump.PumpMessages());
}

}  // namespace
}  // namespace redten
