#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/view.h"

namespace redten::engine {

// A seat's answer to what it was asked: the showing or follow answer (the
// bits of the red tens shown), or a play (the cards, {254} for a pass).
struct Decision {
    std::uint8_t answer = 0;
    CardList play;
};

struct Limits {
    // Everything a player draws at random comes from here, so the same view
    // and seed give the same decision.
    std::uint64_t seed = 0;
    // When to stop thinking and answer with the best found so far.
    std::optional<std::chrono::steady_clock::time_point> deadline;
    // Set from another thread when the answer is no longer wanted.
    const std::atomic<bool>* cancel = nullptr;

    bool Expired() const {
        return (cancel != nullptr && cancel->load(std::memory_order_relaxed)) ||
               (deadline && std::chrono::steady_clock::now() >= *deadline);
    }
};

// A computer player. It sees its seat's view and nothing else, keeps no
// state between calls, and may be asked from several threads at once.
class Player {
  public:
    virtual ~Player() = default;
    virtual std::string_view Name() const = 0;
    // The answer to AskOf(view): a legal one whenever something is asked.
    virtual Decision Decide(const SeatView& view, const Limits& limits) const = 0;
};

// "random" (uniform among legal answers and plays), "basic" (the room's
// first computer player), "strong" or "expert" (the strong player's search
// with more worlds and a budget of time); for measuring, also "quick" (the
// strong player's stand-in for everybody's later plays, on its own) and
// "strong:worlds=160:..." (other settings); null for any other name.
std::unique_ptr<Player> MakePlayer(std::string_view name);

// Whether the decision answers what the view asks, by the room's rules.
bool IsLegal(const SeatView& view, const Decision& decision);

}  // namespace redten::engine
