#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

#include "server/tables/table_host.h"

namespace redten::room {

// The tables' timers, on one Qt timer set for the earliest: a play stops
// and starts a seat's clocks, and a timer object made and deleted for each
// cost more than the play. Runs are in order of due time, then of
// scheduling, so equal delays keep their order; a run never happens from
// inside After.
class TimerQueue {
public:
    // afterEach runs after every timer's own work.
    explicit TimerQueue(std::function<void()> afterEach);
    TimerId After(int ms, std::function<void()> fn);
    void Cancel(TimerId timer);
    std::size_t Pending() const { return due_.size(); }

private:
    using Due = std::pair<qint64, TimerId>;  // when, on clock_; then the order made
    void RunDue();
    void Arm();

    std::function<void()> afterEach_;
    QElapsedTimer clock_;
    QTimer timer_;
    std::map<Due, std::function<void()>> due_;
    std::unordered_map<TimerId, qint64> when_;
    TimerId next_ = 1;
};

}  // namespace redten::room
