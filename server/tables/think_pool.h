#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "server/tables/table_host.h"

namespace redten::room {

// The threads the computer players think on, so that no table and no link
// waits for them. Jobs run in order of arrival; each carries its own stop
// flag. Jobs that may wait (reviews of stored games) run only when no
// other job waits, so a player's thought waits at most for one of them.
// The threads run at a lower priority than the room's own thread, so
// that a busy pool never delays a message.
class ThinkPool {
  public:
    struct Job {
        ThinkWork work;
        // Called on the pool's thread with the result; it must only hand
        // the result over to the room's thread.
        std::function<void(engine::Decision)> deliver;
        std::atomic<bool> cancel{false};
    };

    explicit ThinkPool(int threads);
    // Asks every job to stop, waits for the threads; nothing is delivered
    // after it returns.
    ~ThinkPool();
    ThinkPool(const ThinkPool&) = delete;
    ThinkPool& operator=(const ThinkPool&) = delete;

    void Submit(std::shared_ptr<Job> job, bool mayWait = false);
    // Jobs waiting or running, for the room's cap on them.
    std::size_t Busy() const;

  private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::shared_ptr<Job>> queue_;
    std::deque<std::shared_ptr<Job>> later_;
    std::vector<std::shared_ptr<Job>> running_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace redten::room
