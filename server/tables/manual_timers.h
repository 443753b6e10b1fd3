#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "server/tables/table_host.h"

namespace redten::room {

// Timers on a clock of their own that moves only as they run: each run
// jumps to the next one due. Runs are in order of due time, then of
// scheduling, so equal delays keep their order.
class ManualTimers {
public:
    TimerId After(int ms, std::function<void()> fn) {
        const TimerId id = next_++;
        queue_.emplace(std::make_pair(now_ + std::max(ms, 0), id), std::move(fn));
        return id;
    }
    void Cancel(TimerId timer) {
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->first.second == timer) {
                queue_.erase(it);
                return;
            }
        }
    }
    // Runs the next timer due no later than until; false when there is none.
    bool RunNext(std::int64_t until = INT64_MAX) {
        if (queue_.empty() || queue_.begin()->first.first > until) {
            return false;
        }
        auto first = queue_.begin();
        now_ = first->first.first;
        auto fn = std::move(first->second);
        queue_.erase(first);
        fn();
        return true;
    }
    void AdvanceTo(std::int64_t time) { now_ = std::max(now_, time); }
    std::int64_t Now() const { return now_; }
    std::size_t Pending() const { return queue_.size(); }

private:
    std::map<std::pair<std::int64_t, TimerId>, std::function<void()>> queue_;
    std::int64_t now_ = 0;
    TimerId next_ = 1;
};

}  // namespace redten::room
