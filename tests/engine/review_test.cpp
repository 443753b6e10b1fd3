#include <gtest/gtest.h>

#include <algorithm>
#include <variant>

#include "engine/review.h"
#include "engine/shuffle.h"
#include "permuted_game.h"
#include "rules/pai_type.h"

namespace redten::engine {
namespace {

// A game of four random players: they make every kind of mistake.
Game RandomGame(std::uint64_t seed) {
    const auto random = MakePlayer("random");
    DealRng deal(seed);
    Game game(DealHands(deal));
    for (std::uint8_t s = 0; s < 4; ++s) {
        game.AnswerShowing(s, random->Decide(ViewOf(game, s), {seed, {}, nullptr}).answer);
    }
    game.FillMissingAnswers();
    game.EndShowing();
    for (int n = 0; !game.Over() && n < 300; ++n) {
        const std::uint8_t s = game.CurSeat();
        game.Play(s, random->Decide(ViewOf(game, s), {seed * 1000 + static_cast<std::uint64_t>(n), {}, nullptr}).play);
    }
    return game;
}

std::array<CardList, 4> Dealt(const Game& game) {
    return {game.DealtHand(0), game.DealtHand(1), game.DealtHand(2), game.DealtHand(3)};
}

// The game as it stood just before its event-th event.
Game Before(const std::array<CardList, 4>& dealt, const std::vector<Event>& events,
            std::size_t event) {
    Game game(dealt);
    for (std::size_t i = 0; i < event; ++i) {
        const Event& e = events[i];
        if (e.kind == Event::Kind::Showing) {
            game.AnswerShowing(e.seat, e.answer);
        } else if (e.kind == Event::Kind::ShowingOver) {
            game.FillMissingAnswers();
            game.EndShowing();
        } else {
            game.Play(e.seat, e.cards);
        }
    }
    return game;
}

DecisionReview Reviewed(const Game& game, std::uint32_t event) {
    for (const DecisionPoint& p : DecisionPoints(Dealt(game), game.Events())) {
        if (p.event == event) {
            const auto r = ReviewDecision(p, {});
            EXPECT_TRUE(r.has_value());
            return r.value_or(DecisionReview{});
        }
    }
    ADD_FAILURE() << "no decision at event " << event;
    return {};
}

bool IsBomb(const CardList& cards) {
    Move m;
    return MoveOfCards(cards, m) && (m.type == kTypeBomb || m.type == kTypeRedTens);
}

// Three decisions whose right answer is plain, from games of random players.
TEST(Review, MarksWrongChoicesWithKnownAnswers) {
    {
        // A pass where one card went out and won the game at once.
        const Game game = RandomGame(3);
        const DecisionReview r = Reviewed(game, 80);
        EXPECT_EQ(r.mark, Mark::Blunder);
        EXPECT_EQ(r.chosen.play, CardList{kPassCard});
        Game after = Before(Dealt(game), game.Events(), 80);
        const bool red = after.IsRed(r.seat);
        ASSERT_TRUE(std::holds_alternative<Game::PlayResult>(after.Play(r.seat, r.best.play)));
        EXPECT_TRUE(after.Over());
        EXPECT_EQ(after.Winner() > 0, red);
        EXPECT_EQ(r.bestWin, 100);
        EXPECT_EQ(MarkLine(r, "你").rfind("第76手 你出了不出，更好的是", 0), 0u) << MarkLine(r, "你");
        EXPECT_NE(MarkLine(r, "你").find("（大失误，胜率 0% → 100%）"), std::string::npos);
    }
    {
        // Three aces thrown on an early play the seat need not take.
        const DecisionReview r = Reviewed(RandomGame(1), 8);
        EXPECT_GE(r.mark, Mark::Mistake);
        EXPECT_TRUE(IsBomb(r.chosen.play));
        EXPECT_FALSE(IsBomb(r.best.play));
    }
    {
        // A partner's play beaten, and the game lost with it.
        const Game game = RandomGame(15);
        const DecisionReview r = Reviewed(game, 77);
        const Game before = Before(Dealt(game), game.Events(), 77);
        EXPECT_EQ(before.IsRed(before.ToBeat().bteSeat), before.IsRed(r.seat));
        EXPECT_EQ(r.mark, Mark::Blunder);
        EXPECT_EQ(r.best.play, CardList{kPassCard});
    }
}

// The other seats' hidden cards dealt again among them, consistently with
// everything the seat saw up to its decision, the event-th: the decision is
// the seat's own, so the others hold the same cards after it as before.
std::optional<Game> Permuted(const Game& game, std::size_t event, std::uint8_t me, DealRng& rng) {
    return redten::engine::Permuted(Before(Dealt(game), game.Events(), event + 1), me, rng);
}

// A review reads nothing but the seat's view: whatever the others hid, the
// same decision gets the same review.
TEST(Review, IsTheSameWhateverTheOtherSeatsHide) {
    DealRng rng(11);
    int checked = 0;
    for (std::uint64_t seed = 100; seed < 106; ++seed) {
        const Game game = RandomGame(seed);
        const auto points = DecisionPoints(Dealt(game), game.Events());
        for (std::size_t k = 0; k < points.size(); k += 9) {
            const DecisionPoint& p = points[k];
            const auto r = ReviewDecision(p, {.worlds = 40});
            ASSERT_TRUE(r.has_value());
            const auto other = Permuted(game, p.event, p.view.seat, rng);
            ASSERT_TRUE(other.has_value());
            if (Dealt(*other) == Dealt(game)) {
                continue;  // nothing hidden left to move
            }
            const auto again = DecisionPoints(Dealt(*other), other->Events());
            ASSERT_FALSE(again.empty());
            ASSERT_EQ(again.back().event, p.event);
            const auto r2 = ReviewDecision(again.back(), {.worlds = 40});
            ASSERT_TRUE(r2.has_value());
            EXPECT_EQ(r2->best.play, r->best.play);
            EXPECT_EQ(r2->best.answer, r->best.answer);
            EXPECT_EQ(r2->chosenWin, r->chosenWin);
            EXPECT_EQ(r2->bestStake, r->bestStake);
            ++checked;
        }
    }
    EXPECT_GT(checked, 30);
}

// Choosing the best costs nothing and is never marked a mistake; every
// decision with a choice is reviewed, and the stored form reads back.
TEST(Review, TheBestCostsNothingAndReadsBack) {
    const Game game = RandomGame(21);
    const auto points = DecisionPoints(Dealt(game), game.Events());
    GameReview review;
    review.worlds = 60;
    for (DecisionPoint p : points) {
        const auto r = ReviewDecision(p, {.worlds = 60});
        ASSERT_TRUE(r.has_value());
        EXPECT_GE(r->Cost(), 0);
        review.decisions.push_back(*r);
        p.chosen = r->best;
        const auto again = ReviewDecision(p, {.worlds = 60});
        ASSERT_TRUE(again.has_value());
        EXPECT_EQ(again->Cost(), 0);
        EXPECT_TRUE(again->mark == Mark::None || again->mark == Mark::Good);
    }
    ASSERT_GT(review.decisions.size(), 20u);
    const auto back = ParseReview(ReviewText(review));
    ASSERT_TRUE(back.has_value());
    ASSERT_EQ(back->decisions.size(), review.decisions.size());
    EXPECT_EQ(ReviewText(*back), ReviewText(review));
    for (std::uint8_t s = 0; s < 4; ++s) {
        const auto a = Accuracy(*back, s);
        ASSERT_TRUE(a.has_value());
        EXPECT_GE(*a, 0);
        EXPECT_LE(*a, 1);
    }
    for (const char* junk : {"", "2|1|", "1|x|", "1|10|1,2", "1|10|1,1,4,0,0,0,0,0,c1,c1",
                             "1|10|1,1,0,0,1001,0,0,0,c1,c1", "1|10|1,1,0,0,0,0,0,0,c1.999,c1",
                             "1|10|1,0,0,0,0,0,0,0,c1,a1"}) {
        EXPECT_FALSE(ParseReview(junk).has_value()) << junk;
    }
    EXPECT_TRUE(ParseReview("1|10|").has_value());
}

}  // namespace
}  // namespace redten::engine
