#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <memory>

#include "server/tables/table_host.h"
#include "server/tables/think_pool.h"

namespace redten::room {

// The computer players' thoughts as the room's thread sees them: each is
// thought on the pool and its answer handed back on the room's thread,
// unless it was cancelled meanwhile.
class Thoughts {
public:
    // context: the room's object, whose thread answers come back to;
    // afterEach runs after every answer's own work.
    Thoughts(QObject* context, int threads, std::function<void()> afterEach);
    ThinkId Think(ThinkWork work, std::function<void(engine::Decision)> done);
    // The same for work that may wait behind every thought (ThinkPool).
    ThinkId Later(ThinkWork work, std::function<void(engine::Decision)> done);
    void Cancel(ThinkId id);
    // Stops every thought; none is answered from here on.
    void Stop() { pool_.reset(); }

private:
    ThinkId Submit(ThinkWork work, std::function<void(engine::Decision)> done, bool mayWait);
    struct Thinking {
        std::shared_ptr<ThinkPool::Job> job;
        std::function<void(engine::Decision)> done;
    };
    QObject* context_;
    std::function<void()> afterEach_;
    std::map<ThinkId, Thinking> thinking_;
    ThinkId next_ = 1;
    std::unique_ptr<ThinkPool> pool_;
};

}  // namespace redten::room
