#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <span>

#include "engine/arena.h"
#include "engine/player.h"
#include "engine/shuffle.h"
#include "engine/sim.h"
#include "engine/strong.h"

namespace redten::engine {
namespace {

std::array<bool, 4> Sides(const std::array<CardList, 4>& hands) {
    std::array<bool, 4> red{};
    for (std::size_t s = 0; s < 4; ++s) {
        red[s] = RedTensIn(hands[s]) != 0;
    }
    return red;
}

// The imagined deals are played by the judge's rules: the same plays made
// at the table and in the simulation leave the same seat to act, end the
// game at the same moment and score it alike.
TEST(Simulation, FollowsTheJudgeThroughWholeGames) {
    DealRng rng(99);
    for (int g = 0; g < 400; ++g) {
        const auto hands = DealHands(rng);
        Game game(hands);
        game.FillMissingAnswers();
        game.EndShowing();
        std::array<Counts, 4> counts;
        for (std::size_t s = 0; s < 4; ++s) {
            counts[s] = CountsOf(hands[s]);
        }
        SimState sim;
        sim.Start(counts, Sides(hands), game.CurSeat());
        for (std::size_t s = 0; s < 4; ++s) {
            sim.basic[s] = rng.Below(2) == 0;  // both styles of play
        }
        while (!sim.over) {
            ASSERT_FALSE(game.Over());
            ASSERT_EQ(sim.cur, game.CurSeat());
            ASSERT_EQ(sim.lead, game.Phase() == kPhaseLead);
            const Move m = RolloutMove(sim);
            const CardList cards = CardsFor(game.Hand(sim.cur), m);
            ASSERT_TRUE(std::holds_alternative<Game::PlayResult>(game.Play(sim.cur, cards)))
                << "game " << g << " " << testing::PrintToString(cards);
            sim.Apply(m);
        }
        ASSERT_TRUE(game.Over());
        const auto scores = game.Scores(1);
        for (std::uint8_t s = 0; s < 4; ++s) {
            EXPECT_EQ(sim.Score(s), scores[s]);
        }
    }
}

// The deals the strong player searches hold what is known exactly, and
// against basic players they put the hidden cards where they really are
// more often than chance, recognising the players' style.
TEST(ImaginedDeals, KeepWhatIsKnownAndLearnFromWhatOthersDid) {
    StrongOptions options;
    options.worlds = 16;
    options.chains = 4;
    const auto basic = MakePlayer("basic");
    DealRng rng(4);
    double imagined = 0, chance = 0, basicStyle = 0, others = 0;
    int situations = 0;
    for (std::uint64_t d = 0; situations < 30; ++d) {
        DealRng deal(d + 500);
        Game game(DealHands(deal));
        for (std::uint8_t s = 0; s < 4; ++s) {
            game.AnswerShowing(s, basic->Decide(ViewOf(game, s), {}).answer);
        }
        game.FillMissingAnswers();
        game.EndShowing();
        const std::size_t stop = 20 + rng.Below(25);
        while (!game.Over() && game.Events().size() < stop) {
            const std::uint8_t s = game.CurSeat();
            game.Play(s, basic->Decide(ViewOf(game, s), {}).play);
        }
        if (game.Over()) {
            continue;
        }
        ++situations;
        const std::uint8_t me = game.CurSeat();
        const SeatView view = ViewOf(game, me);
        const PublicState pub = Replay(view.events);
        std::array<Counts, 4> truth;
        CardList hidden;
        for (std::uint8_t s = 0; s < 4; ++s) {
            truth[s] = CountsOf(game.Hand(s));
            if (s != me) {
                hidden.insert(hidden.end(), game.Hand(s).begin(), game.Hand(s).end());
            }
        }
        const auto overlap = [&](const std::array<Counts, 4>& hands) {
            int same = 0;
            for (std::uint8_t s = 0; s < 4; ++s) {
                if (s == me) {
                    continue;
                }
                for (std::size_t r = 0; r < 13; ++r) {
                    same += std::min(hands[s].n[r], truth[s].n[r]);
                }
                same += std::min(hands[s].reds, truth[s].reds);
            }
            return static_cast<double>(same) / static_cast<double>(hidden.size());
        };
        const auto deals = ImagineDeals(view, options, d);
        ASSERT_EQ(deals.size(), 16u);
        for (const ImaginedDeal& imaginedDeal : deals) {
            ASSERT_EQ(imaginedDeal.hands[me], truth[me]);
            for (std::uint8_t s = 0; s < 4; ++s) {
                ASSERT_EQ(imaginedDeal.hands[s].Total(), pub.left[s]);
                const bool playedRed = pub.redsPlayed[s] != 0;
                ASSERT_EQ(imaginedDeal.red[s], imaginedDeal.hands[s].reds > 0 || playedRed);
                if (s != me && pub.shown[s] != 0 && !playedRed) {
                    ASSERT_GT(imaginedDeal.hands[s].reds, 0);  // shown and still held
                }
            }
            for (std::size_t r = 0; r < 13; ++r) {
                int all = 0;
                for (std::uint8_t s = 0; s < 4; ++s) {
                    all += imaginedDeal.hands[s].At(static_cast<int>(r));
                    all += CountsOf(pub.played[s]).At(static_cast<int>(r));
                }
                ASSERT_EQ(all, 4) << "rank " << r;
            }
            imagined += overlap(imaginedDeal.hands);
            for (std::uint8_t s = 0; s < 4; ++s) {
                if (s != me) {
                    basicStyle += imaginedDeal.basic[s];
                    others += 1;
                }
            }
        }
        // Chance: the same hidden cards dealt blindly in the same counts.
        for (int t = 0; t < 16; ++t) {
            std::shuffle(hidden.begin(), hidden.end(),
                         std::mt19937(static_cast<unsigned>(d * 16 + t)));
            std::array<Counts, 4> blind;
            std::size_t next = 0;
            for (std::uint8_t s = 0; s < 4; ++s) {
                if (s != me) {
                    const std::size_t n = game.Hand(s).size();
                    blind[s] = CountsOf(std::span(hidden).subspan(next, n));
                    next += n;
                }
            }
            chance += overlap(blind);
        }
    }
    imagined /= 30 * 16;
    chance /= 30 * 16;
    EXPECT_GT(imagined, chance + 0.08) << "imagined " << imagined << ", blind " << chance;
    EXPECT_GT(basicStyle / others, 0.7);
}

}  // namespace
}  // namespace redten::engine
