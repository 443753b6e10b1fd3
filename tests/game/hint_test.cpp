#include <gtest/gtest.h>

#include <algorithm>

#include "rules/hint.h"
#include "rules/pai_type.h"

namespace redten {
namespace {

std::vector<CardList> Suggestions(const HintList& hints) {
    std::vector<CardList> list;
    for (std::int32_t i = 0; i < hints.lngHintCount; ++i) {
        const HintPai& h = hints.udtHintPai[static_cast<std::size_t>(i)];
        list.emplace_back(h.bteCards.begin(), h.bteCards.begin() + h.lngCount);
    }
    return list;
}

std::vector<CardList> Find(const CardList& hand, const CardList& toBeat) {
    const PaiClass c = GetPaiType(toBeat);
    HintList hints;
    FindHintPai(hints, hand, c.type, static_cast<std::uint8_t>(toBeat.size()), c.main);
    return Suggestions(hints);
}

TEST(FindHintPai, SinglesTrueSinglesFirstThenEveryBeatingCardLowestFirst) {
    EXPECT_EQ(Find({0, 18, 31, 11, 24}, {5}), (std::vector<CardList>{{24}, {11}}));
    // A lone king is a true single and comes first; then every beater,
    // which offers the king again. The eights only tie.
    EXPECT_EQ(Find({10, 18, 31, 11, 24}, {5}), (std::vector<CardList>{{10}, {10}, {24}, {11}}));
}

TEST(FindHintPai, ARedTenBeatsATwo) {
    EXPECT_EQ(Find({59, 0, 1}, {12}), (std::vector<CardList>{{59}, {59}}));
}

TEST(FindHintPai, NothingBeatsTheRedTens) {
    HintList hints;
    EXPECT_FALSE(FindHintPai(hints, CardList{0, 13, 26, 39}, kTypeRedTens, 2, 59));
    EXPECT_EQ(hints.lngHintCount, 0);
}

TEST(FindHintPai, ABombAnswersALongStraightFromAShortHand) {
    EXPECT_EQ(Find({2, 15, 28, 9}, {0, 1, 2, 3, 4}), (std::vector<CardList>{{15, 28, 2}}));
}

TEST(FindHintPai, PairsThenSplitPairsThenBombsThenTheRedTens) {
    // A pair of fours, three sixes, both red tens, against a pair of threes.
    const auto list = Find({1, 14, 3, 16, 29, 59, 72}, {0, 13});
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(Rank(GetPaiType(list[0]).main), 1);  // fours
    EXPECT_EQ(GetPaiType(list[1]).type, kTypeRedTens);  // the tens grouped as a pair
    EXPECT_EQ(Rank(GetPaiType(list[2]).main), 3);  // two of the sixes
    EXPECT_EQ(list[3].size(), 3u);            // the bomb of sixes
    EXPECT_EQ(list[4], (CardList{59, 72}));
}

TEST(FindHintPai, StraightsOfTheSameLengthFromTheHighestTopDown) {
    // Three to nine, one of each, against three-four-five.
    const auto list = Find({0, 1, 2, 3, 4, 5, 6}, {0, 1, 2});
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], (CardList{6, 5, 4}));
    EXPECT_EQ(list[3], (CardList{3, 2, 1}));
}

TEST(FindHintPai, StraightsCarryTheRedTenBackAsItsMarkedCode) {
    const auto list = Find({6, 59, 8, 12}, {0, 1, 2});
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], (CardList{8, 59, 6}));
}

TEST(FindHintPai, BombsSameSizeHigherFirstThenBiggerThenRedTens) {
    const auto list = Find({5, 18, 31, 2, 15, 28, 41, 59, 72}, {4, 17, 30});
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].size(), 3u);
    EXPECT_EQ(list[1].size(), 4u);
    EXPECT_EQ(list[2], (CardList{59, 72}));
}

TEST(FindHintPai, ThreeTensWithBothRedOfferARealPairNotTheRedTens) {
    // Both red tens, the ten of suit 1, two fours, three threes; a pair of nines to beat.
    const auto list = Find({59, 72, 20, 14, 1, 39, 13, 26}, {6, 19});
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(GetPaiType(list[0]).type, kTypePair);
    EXPECT_EQ(Rank(GetPaiType(list[0]).main), kRankTen);
    EXPECT_EQ(std::count(list.begin(), list.end(), CardList{59, 72}), 1);  // only as itself, last
    EXPECT_EQ(list.back(), (CardList{59, 72}));
}

TEST(FindHintPai, ThreeOfFourOfAKindIsABombToo) {
    // Four fives against a single: the four, then three of them.
    EXPECT_EQ(Find({2, 15, 28, 41}, {12}),
              (std::vector<CardList>{{2, 15, 28, 41}, {2, 15, 28}}));
    // Four nines against a bomb of three eights: the four, then three nines;
    // four threes cannot answer it with three.
    const auto list = Find({6, 19, 32, 45, 0, 13, 26, 39}, {5, 18, 31});
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[2].size(), 3u);
    EXPECT_EQ(Rank(GetPaiType(list[2]).main), 6);
}

TEST(FindHintPai, MoreDecksOfferNoRunOfFiveAsABomb) {
    // Two decks: five threes are no bomb, but four of them are.
    const auto list = Find({0, 13, 26, 39, 0}, {5});
    ASSERT_FALSE(list.empty());
    for (const CardList& s : list) {
        EXPECT_TRUE(CheckFollowOutPai(s, MaxOutPai{0, kTypeSingle, 5, 1}).ok ||
                    GetPaiType(s).type == kTypeBomb)
            << testing::PrintToString(s);
        EXPECT_NE(GetPaiType(s).type, kNoType) << testing::PrintToString(s);
    }
}

TEST(FindHintPai, OneRedTenTwiceIsOfferedAsTheCardsHeld) {
    // Two decks: a hand with 59 twice and no 72.
    const auto list = Find({59, 59, 0}, {12});
    ASSERT_FALSE(list.empty());
    EXPECT_EQ(list.back(), (CardList{59, 59}));
}

TEST(FindHintPai, TheListIsBoundedAndOverlongHandsAreCut) {
    CardList hand;
    for (int d = 0; d < 3; ++d) {
        for (std::uint8_t c = 0; c < 52; ++c) {
            hand.push_back(c == 7 ? 59 : c == 46 ? 72 : c);
        }
    }
    HintList hints;
    EXPECT_TRUE(FindHintPai(hints, hand, kTypeSingle, 1, 0));
    EXPECT_LE(hints.lngHintCount, static_cast<std::int32_t>(kMaxHints));
    // No straight is that long: only bombs and the red tens answer it.
    ASSERT_TRUE(FindHintPai(hints, hand, kTypeStraight, 200, 0));
    for (const CardList& s : Suggestions(hints)) {
        EXPECT_NE(GetPaiType(s).type, kTypeStraight);
    }
}

TEST(PressHint, CyclesThroughTheSuggestionsSelectingTheirCards) {
    GameState state;
    state.bteMyPai = {0, 18, 31, 11, 24};
    state.bteGameState = kPhaseFollow;
    state.udtMaxOutPai = {1, kTypeSingle, 5, 1};
    const auto selected = [&] { return state.bteSelected; };

    ASSERT_EQ(PressHint(state), HintPress::Selected);
    EXPECT_EQ(selected(), (std::vector<std::uint8_t>{0, 0, 0, 0, 1}));
    ASSERT_EQ(PressHint(state), HintPress::Selected);
    EXPECT_EQ(selected(), (std::vector<std::uint8_t>{0, 0, 0, 1, 0}));
    ASSERT_EQ(PressHint(state), HintPress::Selected);
    EXPECT_EQ(selected(), (std::vector<std::uint8_t>{0, 0, 0, 0, 1}));
}

TEST(PressHint, SelectsEachCardOfASuggestionOnceEvenWhenCodesRepeat) {
    GameState state;
    state.bteMyPai = {0, 0, 0, 5};  // three threes of one code: many decks
    state.udtMaxOutPai = {1, kTypeSingle, 12, 1};
    state.hints.lngHintCount = 1;
    state.hints.lngHintIndex = 1;
    state.hints.udtHintPai[0].bteCards[0] = 0;
    state.hints.udtHintPai[0].bteCards[1] = 0;
    state.hints.udtHintPai[0].lngCount = 2;
    ASSERT_EQ(PressHint(state), HintPress::Selected);
    EXPECT_EQ(state.bteSelected, (std::vector<std::uint8_t>{1, 1, 0, 0}));
}

TEST(PressHint, PassesWhenNothingBeatsThePlay) {
    GameState state;
    state.bteMyPai = {0, 1};
    state.udtMaxOutPai = {1, kTypeRedTens, 59, 2};
    EXPECT_EQ(PressHint(state), HintPress::Pass);
    state.udtMaxOutPai = {1, kTypeSingle, 12, 1};
    EXPECT_EQ(PressHint(state), HintPress::Pass);
}

}  // namespace
}  // namespace redten
