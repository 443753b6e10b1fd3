#include "engine/player.h"

#include <algorithm>

#include "engine/bot.h"
#include "engine/shuffle.h"
#include "engine/strong.h"
#include "rules/pai_type.h"

namespace redten::engine {
namespace {

// Uniform among the distinct legal answers and plays.
class RandomPlayer final : public Player {
  public:
    std::string_view Name() const override { return "random"; }

    Decision Decide(const SeatView& view, const Limits& limits) const override {
        DealRng rng(limits.seed);
        const PublicState state = Replay(view.events);
        const std::uint8_t held = RedTensIn(view.hand);
        switch (AskOf(view, state)) {
            case Ask::Showing: {
                // Any subset of the tens held.
                std::uint8_t answer = 0;
                do {
                    answer = static_cast<std::uint8_t>(rng.Below(4));
                } while ((answer & ~held) != 0);
                return {answer, {}};
            }
            case Ask::Follow:
                return {static_cast<std::uint8_t>(rng.Below(2) != 0 ? held : 0), {}};
            case Ask::Play: {
                const CardList hand = HandNow(view);
                MoveList moves;
                GenerateMoves(CountsOf(hand), state.phase == kPhaseLead ? nullptr : &state.toBeat,
                              moves);
                if (moves.size == 0) {
                    return {};
                }
                const Move m = moves[rng.Below(static_cast<std::uint32_t>(moves.size))];
                return {0, CardsFor(hand, m)};
            }
            case Ask::Nothing:
                break;
        }
        return {};
    }
};

// The room's first computer player: shows when the hand is strong, leads
// its lowest group, follows with the first suggestion.
class BasicPlayer final : public Player {
  public:
    std::string_view Name() const override { return "basic"; }

    Decision Decide(const SeatView& view, const Limits&) const override {
        const PublicState state = Replay(view.events);
        const CardList hand = HandNow(view);
        switch (AskOf(view, state)) {
            case Ask::Showing:
                return {BotShowingAnswer(hand), {}};
            case Ask::Follow:
                return {static_cast<std::uint8_t>(BotFollows(hand) ? RedTensIn(hand) : 0), {}};
            case Ask::Play:
                return {0, state.phase == kPhaseLead ? BotLead(hand)
                                                     : BotFollow(hand, MaxOutPaiOf(state))};
            case Ask::Nothing:
                break;
        }
        return {};
    }
};

}  // namespace

std::unique_ptr<Player> MakePlayer(std::string_view name) {
    if (name == "random") {
        return std::make_unique<RandomPlayer>();
    }
    if (name == "basic") {
        return std::make_unique<BasicPlayer>();
    }
    if (name == "strong") {
        return MakeStrongPlayer(StrongOptions{});
    }
    if (name == "expert") {
        return MakeStrongPlayer(ExpertOptions());
    }
    if (name == "quick") {
        return MakeQuickPlayer();
    }
    // "strong:worlds=80:drawn=4:show=0.1" tries other settings in the arena.
    if (name.starts_with("strong:")) {
        return MakeStrongPlayer(name.substr(7));
    }
    return nullptr;
}

bool IsLegal(const SeatView& view, const Decision& d) {
    const PublicState state = Replay(view.events);
    const std::uint8_t held = RedTensIn(view.hand);
    switch (AskOf(view, state)) {
        case Ask::Showing:
            return d.answer <= 3 && (d.answer & ~held) == 0;
        case Ask::Follow:
            return d.answer == 0 || d.answer == held;
        case Ask::Play: {
            if (d.play.size() == 1 && d.play[0] == kPassCard) {
                return state.phase == kPhaseFollow;
            }
            if (d.play.empty() || !HoldsCards(HandNow(view), d.play)) {
                return false;
            }
            return state.phase == kPhaseLead ? CheckFirstOutPai(d.play).ok
                                             : CheckFollowOutPai(d.play, MaxOutPaiOf(state)).ok;
        }
        case Ask::Nothing:
            break;
    }
    return false;
}

}  // namespace redten::engine
