#include <gtest/gtest.h>

#include "engine/game.h"
#include "rules/pai_type.h"

namespace redten::engine {
namespace {

// Seat 0: both red tens, the three of suit 0 and a run up to the ace; the
// other seats the rest. Red side: seat 0 alone.
std::array<CardList, 4> LoneRedHands() {
    std::array<CardList, 4> hands;
    hands[0] = {59, 72, 0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11};
    std::uint8_t next = 12;
    for (int s = 1; s < 4; ++s) {
        while (hands[s].size() < 13) {
            const std::uint8_t c = next++;
            if (c != 46) {
                hands[s].push_back(c);
            }
        }
    }
    return hands;
}

// Seats 0 and 2 hold one red ten each; seat 0 also the three of suit 0.
std::array<CardList, 4> PairedHands() {
    CardList rest;
    for (std::uint8_t c = 1; c < 52; ++c) {
        if (c != 7 && c != 46) {
            rest.push_back(c);
        }
    }
    std::array<CardList, 4> hands;
    hands[0] = {0, 59};
    hands[2] = {72};
    std::size_t i = 0;
    for (int s = 0; s < 4; ++s) {
        while (hands[s].size() < 13) {
            hands[s].push_back(rest[i++]);
        }
    }
    return hands;
}

void AnswerAll(Game& g, std::array<std::uint8_t, 4> answers) {
    for (std::uint8_t s = 0; s < 4; ++s) {
        ASSERT_FALSE(g.AnswerShowing(s, answers[s]).has_value()) << int(s);
    }
}

TEST(RoomGame, ShowingAnswersMustMatchTheHand) {
    Game g(PairedHands());
    EXPECT_TRUE(g.AnswerShowing(1, 1).has_value());  // holds no red ten
    EXPECT_TRUE(g.AnswerShowing(0, 2).has_value());  // holds 59, not 72
    EXPECT_TRUE(g.AnswerShowing(0, 7).has_value());
    EXPECT_FALSE(g.AnswerShowing(0, 1).has_value());
    EXPECT_TRUE(g.AnswerShowing(0, 0).has_value());  // answered already
    EXPECT_EQ(g.OutPai(0), (CardList{59}));
}

TEST(RoomGame, AHolderOfOneTenWhoShowedNothingMayFollowOnce) {
    Game g(PairedHands());
    AnswerAll(g, {1, 0, 0, 0});
    EXPECT_TRUE(g.MayFollow(2));
    EXPECT_FALSE(g.ShowingComplete());
    EXPECT_FALSE(g.AnswerShowing(2, 2).has_value());
    EXPECT_EQ(g.LiangTimes(2), 2);
    EXPECT_TRUE(g.ShowingComplete());
    EXPECT_TRUE(g.AnswerShowing(2, 0).has_value());
    g.EndShowing();
    EXPECT_EQ(g.Multiplier(), 4);
    EXPECT_EQ(g.CurSeat(), 0);  // holds the three of suit 0
    EXPECT_EQ(g.Phase(), kPhaseLead);
}

TEST(RoomGame, MissingAnswersCountAsNothingShown) {
    Game g(PairedHands());
    ASSERT_FALSE(g.AnswerShowing(3, 0).has_value());
    EXPECT_EQ(g.FillMissingAnswers(), (std::vector<std::uint8_t>{0, 1, 2}));
    EXPECT_TRUE(g.ShowingComplete());
}

TEST(RoomGame, TurnsTricksAndRefusals) {
    Game g(PairedHands());
    AnswerAll(g, {0, 0, 0, 0});
    g.EndShowing();
    EXPECT_EQ(std::get<std::string>(g.Play(1, {13})), "还没轮到你出牌。");
    EXPECT_EQ(std::get<std::string>(g.Play(0, {254})), "你先出牌，不能不出。");
    EXPECT_EQ(std::get<std::string>(g.Play(0, {51})), "你手里没有这些牌。");
    EXPECT_EQ(std::get<std::string>(g.Play(0, {0, 1})), "出牌错误：牌型不对！");

    auto r = std::get<Game::PlayResult>(g.Play(0, {0}));
    EXPECT_EQ(r.nextSeat, 1);
    EXPECT_EQ(r.nextPhase, kPhaseFollow);
    EXPECT_EQ(g.Hand(0).size(), 12u);
    EXPECT_EQ(std::get<std::string>(g.Play(1, {0})), "你手里没有这些牌。");
    for (std::uint8_t s : {1, 2}) {
        r = std::get<Game::PlayResult>(g.Play(s, {254}));
        EXPECT_EQ(r.nextPhase, kPhaseFollow);
    }
    r = std::get<Game::PlayResult>(g.Play(3, {254}));
    EXPECT_EQ(r.nextPhase, kPhaseLead);  // everybody else passed: seat 0 leads again
    EXPECT_EQ(r.nextSeat, 0);
}

TEST(RoomGame, AloneAgainstThreeWinsTripleAndPaysTriple) {
    Game g(LoneRedHands());
    AnswerAll(g, {3, 0, 0, 0});
    g.EndShowing();
    EXPECT_EQ(g.Multiplier(), 4);
    EXPECT_TRUE(g.IsRed(0));
    EXPECT_FALSE(g.IsRed(1));
    // A straight from three to ace with one red ten as its ten, then the
    // other red ten.
    const CardList straight{0, 1, 2, 3, 4, 5, 6, 72, 8, 9, 10, 11};
    auto r = std::get<Game::PlayResult>(g.Play(0, straight));
    ASSERT_EQ(r.nextPhase, kPhaseFollow);
    for (std::uint8_t s : {1, 2, 3}) {
        ASSERT_TRUE(std::holds_alternative<Game::PlayResult>(g.Play(s, {254})));
    }
    r = std::get<Game::PlayResult>(g.Play(0, {59}));
    EXPECT_TRUE(g.Over());
    EXPECT_EQ(g.Winner(), 1);
    EXPECT_EQ(r.place, 1);
    EXPECT_EQ(g.Scores(100), (std::array<std::int32_t, 4>{1200, -400, -400, -400}));
}

}  // namespace
}  // namespace redten::engine
