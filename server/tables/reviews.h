#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

#include "engine/review.h"
#include "server/tables/table_host.h"

namespace redten::room {

// The reviews of stored games, worked out in the think pool's spare time:
// one game at a time in the order they were stored, one decision per job,
// so that a computer player's thought never waits for more than one
// decision of a review. A busy room reviews later; past kMaxWaiting games
// waiting, a game is not reviewed at all (redten-room --review still can).
class Reviews {
  public:
    // Hands a job to the pool's spare time; done on the room's thread.
    using Submit = std::function<void(ThinkWork work, std::function<void(engine::Decision)> done)>;
    using Done = std::function<void(std::int64_t game, const engine::GameReview& review)>;
    static constexpr std::size_t kMaxWaiting = 64;

    Reviews(Submit submit, engine::ReviewOptions options, Done done);

    // False when it is not queued: reviews are off (no worlds) or too many wait.
    bool Add(std::int64_t game, const std::array<CardList, 4>& dealt,
             std::vector<engine::Event> events);
    // Games queued or in hand.
    std::size_t Waiting() const { return waiting_.size() + (busy_ ? 1 : 0); }

  private:
    struct Stored {
        std::int64_t game = 0;
        std::array<CardList, 4> dealt;
        std::vector<engine::Event> events;
    };
    void Start();
    void Step();

    Submit submit_;
    engine::ReviewOptions options_;
    Done done_;
    std::deque<Stored> waiting_;
    bool busy_ = false;
    std::int64_t game_ = 0;  // in hand
    std::vector<engine::DecisionPoint> points_;
    std::size_t next_ = 0;
    engine::GameReview review_;
};

}  // namespace redten::room
