#include "server/tables/think_pool.h"

#include <algorithm>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace redten::room {
namespace {

// Thinking yields to the room's thread when the machine is busy.
constexpr int kThinkNiceness = 10;

}  // namespace

ThinkPool::ThinkPool(int threads) {
    for (int i = 0; i < std::max(threads, 1); ++i) {
        threads_.emplace_back([this] { Run(); });
    }
}

ThinkPool::~ThinkPool() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        for (const auto& job : queue_) {
            job->cancel = true;
        }
        for (const auto& job : later_) {
            job->cancel = true;
        }
        later_.clear();
        for (const auto& job : running_) {
            job->cancel = true;
        }
        queue_.clear();
    }
    wake_.notify_all();
    for (std::thread& t : threads_) {
        t.join();
    }
}

void ThinkPool::Submit(std::shared_ptr<Job> job, bool mayWait) {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        (mayWait ? later_ : queue_).push_back(std::move(job));
    }
    wake_.notify_one();
}

std::size_t ThinkPool::Busy() const {
    const std::lock_guard lock(mutex_);
    return queue_.size() + later_.size() + running_.size();
}

void ThinkPool::Run() {
    // Linux gives each thread its own niceness.
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kThinkNiceness);
    for (;;) {
        std::shared_ptr<Job> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty() || !later_.empty(); });
            if (stopping_) {
                return;
            }
            std::deque<std::shared_ptr<Job>>& from = queue_.empty() ? later_ : queue_;
            job = std::move(from.front());
            from.pop_front();
            running_.push_back(job);
        }
        engine::Decision decision;
        if (!job->cancel) {
            decision = job->work(job->cancel);
        }
        bool deliver = false;
        {
            const std::lock_guard lock(mutex_);
            running_.erase(std::find(running_.begin(), running_.end(), job));
            deliver = !stopping_ && !job->cancel;
        }
        // Delivering outside the lock: the room may submit again from it.
        if (deliver) {
            job->deliver(std::move(decision));
        }
    }
}

}  // namespace redten::room
