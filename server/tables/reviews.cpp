#include "server/tables/reviews.h"

#include <memory>
#include <optional>

namespace redten::room {

Reviews::Reviews(Submit submit, engine::ReviewOptions options, Done done)
    : submit_(std::move(submit)), options_(options), done_(std::move(done)) {}

bool Reviews::Add(std::int64_t game, const std::array<CardList, 4>& dealt,
                  std::vector<engine::Event> events) {
    if (options_.worlds <= 0 || waiting_.size() >= kMaxWaiting) {
        return false;
    }
    waiting_.push_back({game, dealt, std::move(events)});
    if (!busy_) {
        Start();
    }
    return true;
}

void Reviews::Start() {
    while (!busy_ && !waiting_.empty()) {
        Stored next = std::move(waiting_.front());
        waiting_.pop_front();
        game_ = next.game;
        points_ = engine::DecisionPoints(next.dealt, next.events);
        next_ = 0;
        review_ = {};
        review_.worlds = options_.worlds;
        busy_ = true;
        Step();
    }
}

void Reviews::Step() {
    if (next_ == points_.size()) {
        busy_ = false;
        points_.clear();
        done_(game_, review_);
        Start();
        return;
    }
    auto result = std::make_shared<std::optional<engine::DecisionReview>>();
    submit_(
        [point = points_[next_], options = options_, result](const std::atomic<bool>& cancel) {
            engine::Limits limits;
            limits.cancel = &cancel;
            *result = engine::ReviewDecision(point, options, limits);
            return engine::Decision{};
        },
        [this, result](engine::Decision) {
            if (*result) {
                review_.decisions.push_back(std::move(**result));
            }
            ++next_;
            Step();
        });
}

}  // namespace redten::room
