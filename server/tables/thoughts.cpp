#include "server/tables/thoughts.h"

namespace redten::room {

Thoughts::Thoughts(QObject* context, int threads, std::function<void()> afterEach)
    : context_(context), afterEach_(std::move(afterEach)), pool_(std::make_unique<ThinkPool>(threads)) {}

ThinkId Thoughts::Think(ThinkWork work, std::function<void(engine::Decision)> done) {
    return Submit(std::move(work), std::move(done), false);
}

ThinkId Thoughts::Later(ThinkWork work, std::function<void(engine::Decision)> done) {
    return Submit(std::move(work), std::move(done), true);
}

ThinkId Thoughts::Submit(ThinkWork work, std::function<void(engine::Decision)> done, bool mayWait) {
    const ThinkId id = next_++;
    if (!pool_) {
        return id;  // stopped: never answered
    }
    auto job = std::make_shared<ThinkPool::Job>();
    job->work = std::move(work);
    job->deliver = [this, id](engine::Decision decision) {
        // Back on the room's thread; a thought cancelled meanwhile is dropped.
        QMetaObject::invokeMethod(
            context_,
            [this, id, decision = std::move(decision)]() mutable {
                const auto it = thinking_.find(id);
                if (it == thinking_.end()) {
                    return;
                }
                auto done = std::move(it->second.done);
                thinking_.erase(it);
                done(std::move(decision));
                afterEach_();
            },
            Qt::QueuedConnection);
    };
    thinking_[id] = Thinking{job, std::move(done)};
    pool_->Submit(std::move(job), mayWait);
    return id;
}

void Thoughts::Cancel(ThinkId id) {
    const auto it = thinking_.find(id);
    if (it != thinking_.end()) {
        it->second.job->cancel = true;
        thinking_.erase(it);
    }
}

}  // namespace redten::room
