#include "server/tables/timer_queue.h"

#include <algorithm>

namespace redten::room {

TimerQueue::TimerQueue(std::function<void()> afterEach) : afterEach_(std::move(afterEach)) {
    clock_.start();
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { RunDue(); });
}

TimerId TimerQueue::After(int ms, std::function<void()> fn) {
    const TimerId id = next_++;
    const qint64 when = clock_.elapsed() + std::max(ms, 0);
    const bool first = due_.empty() || Due{when, id} < due_.begin()->first;
    due_.emplace(Due{when, id}, std::move(fn));
    when_.emplace(id, when);
    if (first) {
        Arm();
    }
    return id;
}

void TimerQueue::Cancel(TimerId timer) {
    const auto it = when_.find(timer);
    if (it == when_.end()) {
        return;
    }
    due_.erase(Due{it->second, timer});
    when_.erase(it);
}

void TimerQueue::RunDue() {
    // Only what was due when the run began: a timer of 0 ms started by one
    // of these waits for the next turn of the loop.
    const Due until{clock_.elapsed(), next_};
    while (!due_.empty() && due_.begin()->first < until) {
        const auto first = due_.begin();
        when_.erase(first->first.second);
        auto fn = std::move(first->second);
        due_.erase(first);
        fn();
        afterEach_();
    }
    Arm();
}

void TimerQueue::Arm() {
    if (due_.empty()) {
        timer_.stop();
        return;
    }
    const qint64 wait = due_.begin()->first.first - clock_.elapsed();
    timer_.start(static_cast<int>(std::clamp<qint64>(wait, 0, INT32_MAX)));
}

}  // namespace redten::room
