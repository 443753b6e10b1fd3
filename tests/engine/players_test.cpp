#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <tuple>

#include "engine/arena.h"
#include "engine/player.h"
#include "engine/shuffle.h"
#include "engine/strong.h"
#include "permuted_game.h"
#include "rules/pai_type.h"

namespace redten::engine {
namespace {

// Enough search to decide like the real thing, little enough for the
// sanitizer builds.
StrongOptions Light() {
    StrongOptions o;
    o.worlds = 6;
    o.chains = 2;
    o.drawn = 2;
    o.burn = 12;
    o.thin = 3;
    return o;
}

auto Key(const Move& m) {
    return std::make_tuple(m.type, m.rank, m.len, m.reds);
}

// Every distinct play the rules accept from the hand, by brute force.
std::set<std::tuple<int, int, int, int>> LegalByBruteForce(const CardList& hand, const Move* toBeat,
                                                           const MaxOutPai& max) {
    std::set<std::tuple<int, int, int, int>> legal;
    CardList subset;
    for (std::uint32_t mask = 1; mask < (1u << hand.size()); ++mask) {
        subset.clear();
        for (std::size_t i = 0; i < hand.size(); ++i) {
            if (mask & (1u << i)) {
                subset.push_back(hand[i]);
            }
        }
        const bool ok = toBeat ? CheckFollowOutPai(subset, max).ok : CheckFirstOutPai(subset).ok;
        Move m;
        if (ok && MoveOfCards(subset, m)) {
            legal.insert(Key(m));
        }
    }
    if (toBeat) {
        legal.insert(Key(kPass));
    }
    return legal;
}

TEST(Moves, EveryLegalPlayIsGeneratedOnceAndMadeOfTheHandsCards) {
    DealRng rng(11);
    for (int i = 0; i < 1500; ++i) {
        const auto hands = DealHands(rng);
        CardList hand = hands[0];
        hand.resize(4 + rng.Below(7));  // brute force stays cheap
        MoveList theirs;
        GenerateMoves(CountsOf(hands[1]), nullptr, theirs);
        const bool lead = rng.Below(4) == 0;
        const Move toBeat = theirs[rng.Below(static_cast<std::uint32_t>(theirs.size))];
        const CardList toBeatCards = CardsFor(hands[1], toBeat);
        const PaiClass c = GetPaiType(toBeatCards);
        const MaxOutPai max{1, c.type, c.main, static_cast<std::uint8_t>(toBeatCards.size())};

        MoveList moves;
        GenerateMoves(CountsOf(hand), lead ? nullptr : &toBeat, moves);
        std::set<std::tuple<int, int, int, int>> generated;
        for (const Move& m : moves) {
            ASSERT_TRUE(generated.insert(Key(m)).second) << "generated twice";
            const CardList cards = CardsFor(hand, m);
            ASSERT_FALSE(cards.empty());
            Move back;
            ASSERT_TRUE(MoveOfCards(cards, back));
            ASSERT_EQ(Key(back), Key(m)) << testing::PrintToString(cards);
        }
        ASSERT_EQ(generated, LegalByBruteForce(hand, lead ? nullptr : &toBeat, max))
            << "hand " << testing::PrintToString(hand) << " to beat "
            << (lead ? std::string("nothing") : testing::PrintToString(toBeatCards));
    }
}

// Plays a game with the given players until `stop` events have happened
// and the seat to act is `seat`; the game is left there.
bool PlayUntil(Game& game, const Player& player, std::size_t stop, std::uint64_t seed) {
    for (int step = 0; step < 300; ++step) {
        if (game.Phase() == kPhaseShowing) {
            for (std::uint8_t s = 0; s < 4; ++s) {
                const Decision d = player.Decide(ViewOf(game, s), {seed + s, {}, nullptr});
                game.AnswerShowing(s, d.answer);
            }
            game.FillMissingAnswers();
            game.EndShowing();
            continue;
        }
        if (game.Over()) {
            return false;
        }
        if (game.Events().size() >= stop) {
            return true;
        }
        const std::uint8_t seat = game.CurSeat();
        game.Play(seat, player.Decide(ViewOf(game, seat), {seed + step, {}, nullptr}).play);
    }
    return false;
}

TEST(StrongPlayer, NeverReadsHiddenCards) {
    const auto strong = MakeStrongPlayer(Light());
    const auto basic = MakePlayer("basic");
    DealRng rng(5);
    int checked = 0;
    for (int i = 0; i < 40; ++i) {
        DealRng deal(1000 + i);
        Game game(DealHands(deal));
        if (!PlayUntil(game, *basic, 4 + rng.Below(40), i)) {
            continue;
        }
        const std::uint8_t me = game.CurSeat();
        const Limits limits{77, {}, nullptr};
        const Decision d = strong->Decide(ViewOf(game, me), limits);
        ASSERT_TRUE(IsLegal(ViewOf(game, me), d));
        for (int p = 0; p < 3; ++p) {
            const auto other = Permuted(game, me, rng);
            ASSERT_TRUE(other.has_value());
            bool moved = false;
            for (std::uint8_t s = 0; s < 4; ++s) {
                moved = moved || other->Hand(s) != game.Hand(s);
            }
            EXPECT_TRUE(moved);
            const Decision again = strong->Decide(ViewOf(*other, me), limits);
            EXPECT_EQ(again.play, d.play) << "deal " << i;
        }
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

TEST(StrongPlayer, ShowsOrNotWhateverTheOthersHide) {
    const auto strong = MakeStrongPlayer(Light());
    DealRng rng(8);
    int checked = 0;
    for (std::uint64_t i = 0; checked < 12; ++i) {
        DealRng deal(i);
        const Game game(DealHands(deal));
        for (std::uint8_t me = 0; me < 4; ++me) {
            if (RedTensIn(game.Hand(me)) == 0) {
                continue;
            }
            const Limits limits{i, {}, nullptr};
            const Decision d = strong->Decide(ViewOf(game, me), limits);
            for (int p = 0; p < 2; ++p) {
                const auto other = Permuted(game, me, rng);
                ASSERT_TRUE(other.has_value());
                EXPECT_EQ(strong->Decide(ViewOf(*other, me), limits).answer, d.answer);
            }
            ++checked;
        }
    }
}

TEST(StrongPlayer, AnswersEveryQuestionLegallyInRandomGames) {
    const auto strong = MakeStrongPlayer(Light());
    const auto random = MakePlayer("random");
    int decisions = 0;
    for (std::uint64_t g = 0; decisions < 2000; ++g) {
        DealRng deal(g * 7919);
        Game game(DealHands(deal));
        const std::uint8_t me = static_cast<std::uint8_t>(g % 4);
        const auto who = [&](std::uint8_t s) -> const Player& {
            return s == me ? *strong : *random;
        };
        for (std::uint8_t s = 0; s < 4; ++s) {
            const SeatView view = ViewOf(game, s);
            const Decision d = who(s).Decide(view, {g + s, {}, nullptr});
            ASSERT_TRUE(IsLegal(view, d));
            ASSERT_FALSE(game.AnswerShowing(s, d.answer));
        }
        for (std::uint8_t s = 0; s < 4; ++s) {
            if (game.MayFollow(s)) {
                const SeatView view = ViewOf(game, s);
                const Decision d = who(s).Decide(view, {g, {}, nullptr});
                ASSERT_TRUE(IsLegal(view, d));
                ASSERT_FALSE(game.AnswerShowing(s, d.answer));
            }
        }
        game.FillMissingAnswers();
        game.EndShowing();
        for (int step = 0; step < 300 && !game.Over(); ++step) {
            const std::uint8_t seat = game.CurSeat();
            const SeatView view = ViewOf(game, seat);
            const Decision d = who(seat).Decide(view, {g * 1000 + step, {}, nullptr});
            ASSERT_TRUE(IsLegal(view, d))
                << who(seat).Name() << " " << testing::PrintToString(d.play);
            ASSERT_TRUE(std::holds_alternative<Game::PlayResult>(game.Play(seat, d.play)));
            decisions += seat == me ? 1 : 0;
        }
        ASSERT_TRUE(game.Over());
        ASSERT_FALSE(CheckPlayedGame(game).has_value());
    }
}

TEST(StrongPlayer, StopsAtOnceWhenCancelledAndStillAnswersLegally) {
    const auto strong = MakePlayer("strong");
    DealRng deal(3);
    Game game(DealHands(deal));
    game.FillMissingAnswers();
    game.EndShowing();
    const std::atomic<bool> cancelled{true};
    const SeatView view = ViewOf(game, game.CurSeat());
    const Decision d = strong->Decide(view, {1, {}, &cancelled});
    EXPECT_TRUE(IsLegal(view, d));
}

TEST(Arena, FiguresAreSoundAndTheSameOnAnyNumberOfThreads) {
    ArenaOptions options;
    options.a = "basic";
    options.b = "random";
    options.deals = 40;
    options.seed = 3;
    const ArenaResult one = RunArena(options);
    ASSERT_TRUE(one.failure.empty()) << one.failure;  // every game kept every rule
    options.threads = 3;
    const ArenaResult three = RunArena(options);
    EXPECT_EQ(one.a.winShare.mean, three.a.winShare.mean);
    EXPECT_EQ(one.a.stake.half, three.a.stake.half);
    EXPECT_EQ(one.games, 200);
    // Pinned, so that a change of the players or of the statistics is seen.
    EXPECT_NEAR(one.a.winShare.mean, 0.5875, 1e-9);
    EXPECT_NEAR(one.a.winShare.half, 0.07953, 1e-4);
    // Paired: the gain is the share less the baseline's, deal by deal.
    EXPECT_NEAR(one.a.gain.mean, one.a.winShare.mean - one.baselineWinShare.mean, 1e-12);
    // Every game is zero-sum: one A pays what three B win.
    EXPECT_NEAR(one.a.stake.mean + 3 * one.b.stake.mean, 0, 1e-12);
    EXPECT_LE(one.a.medianMs, one.a.p99Ms);
    EXPECT_LE(one.a.p99Ms, one.a.maxMs);
    EXPECT_GT(one.a.decisions, 40u * 4 * 10);

    options.a = "strong:worlds=4:chains=2:drawn=2:burn=8:thin=2";
    options.b = "basic";
    options.deals = 3;
    options.threads = 1;
    const ArenaResult strongOne = RunArena(options);
    options.threads = 2;
    const ArenaResult strongTwo = RunArena(options);
    ASSERT_TRUE(strongOne.failure.empty()) << strongOne.failure;
    EXPECT_EQ(strongOne.a.winShare.mean, strongTwo.a.winShare.mean);
    EXPECT_EQ(strongOne.a.stake.mean, strongTwo.a.stake.mean);
}

TEST(Arena, RefusesWhatItCannotRun) {
    std::ostringstream out, err;
    EXPECT_EQ(ArenaCommand("strong", 10, 1, 1, std::nullopt, out, err), 2);
    EXPECT_EQ(ArenaCommand("strong,clever", 10, 1, 1, std::nullopt, out, err), 2);
    EXPECT_EQ(ArenaCommand("basic,random", 0, 1, 1, std::nullopt, out, err), 2);
    EXPECT_EQ(ArenaCommand("basic,random", 2, 1, 1, std::nullopt, out, err), 0);
    EXPECT_NE(out.str().find("basic   alone"), std::string::npos) << out.str();
}

}  // namespace
}  // namespace redten::engine
