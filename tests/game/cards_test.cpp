#include <gtest/gtest.h>

#include "rules/cards.h"
#include "rules/game_state.h"

namespace redten {
namespace {

TEST(CardOrder, MarkedRedTensOutrankEverythingAndSuitsNeverBreakTies) {
    EXPECT_FALSE(IsPaiLess(59, 72));
    EXPECT_FALSE(IsPaiLess(72, 59));
    EXPECT_TRUE(IsPaiLess(12, 59));
    EXPECT_FALSE(IsPaiLess(59, 12));
    EXPECT_TRUE(IsPaiLess(11, 12));
    EXPECT_FALSE(IsPaiLess(13, 0));
    EXPECT_FALSE(IsPaiLess(0, 13));
    EXPECT_TRUE(IsSamePai(59, 72));
    EXPECT_FALSE(IsSamePai(59, 33));
    EXPECT_TRUE(IsSamePai(7, 33));
    EXPECT_EQ(Normalise(59), 7);
    EXPECT_EQ(Normalise(72), 20);
    EXPECT_EQ(Normalise(33), 33);
}

TEST(SortPai, HighestFirstWithMarkedCardsInFront) {
    CardList cards{0, 59, 12, 33};
    SortPai(cards);
    EXPECT_EQ(cards, (CardList{59, 12, 33, 0}));
}

TEST(SortPai, EqualCardsKeepTheOrderTheExchangesLeave) {
    // Three eights from suits 0, 1, 2 behind a king: the exchange sort moves
    // the king to the front and leaves the eights rotated, not in input order.
    CardList cards{5, 18, 31, 10};
    SortPai(cards);
    EXPECT_EQ(cards, (CardList{10, 18, 31, 5}));
}

TEST(SortPaiByGroup, BiggestGroupsFirstAndTheRedTenKeepsTheFront) {
    CardList cards{59, 5, 18, 31, 11, 24, 0};
    PaiGroups groups;
    SortPaiByGroup(cards, groups);
    EXPECT_EQ(cards, (CardList{59, 31, 5, 18, 11, 24, 0}));
    ASSERT_EQ(groups.count, 4u);
    EXPECT_EQ(groups.groups[1].count, 3);
}

TEST(SortPaiByGroup, EqualSizesGoHighestRankFirst) {
    CardList cards{0, 13, 11, 24, 5};
    PaiGroups groups;
    SortPaiByGroup(cards, groups);
    EXPECT_EQ(cards, (CardList{11, 24, 13, 0, 5}));
}

TEST(GroupPai, NeverDropsCardsOfAnOverlongRun) {
    CardList many(20, 0);  // twenty threes: only possible with many decks
    PaiGroups groups;
    SortPaiByGroup(many, groups);
    ASSERT_EQ(groups.count, 2u);
    EXPECT_EQ(groups.groups[0].count + groups.groups[1].count, 20);
    EXPECT_EQ(many, CardList(20, 0));

    GroupPai({}, groups);
    EXPECT_EQ(groups.count, 0u);
}

TEST(RemoveOutPai, RemovesFirstMatchesAndSkipsCardsNotHeld) {
    CardList hand{3, 16, 3, 40, 59};
    const CardList played{3, 51, 59};
    RemoveOutPai(hand, played);
    EXPECT_EQ(hand, (CardList{16, 3, 40}));
    CardList empty;
    RemoveOutPai(empty, played);
    EXPECT_TRUE(empty.empty());
}

TEST(GameState, InitialValuesAndResetKeepsWhoSitsWhere) {
    GameState state;
    EXPECT_EQ(state.udtUser[2].lngIconNo, -1);
    EXPECT_EQ(state.udtUser[2].bteLiang, 4);
    EXPECT_EQ(state.blnNoDeal, -1);
    EXPECT_EQ(state.bteOutTime, 30);

    UserGameInfo& seat = state.udtUser[1];
    seat.strUserName = "张三";
    seat.lngIconNo = 7;
    seat.blnOffline = -1;
    seat.blnReady = -1;
    seat.bteCardCount = 13;
    seat.bteOutPai = {1, 2};
    seat.bteMingCi = 2;
    state.bteMyPai = {1, 2, 3};
    state.bteSelected = {1, 0, 1};
    state.bteGameState = kPhaseFollow;
    state.udtMaxOutPai = {1, kRankTen, 5, 2};
    state.blnShowMyPai = 0;
    state.bteMaxAutoOutTimes = 9;

    GameState kept = state;
    ResetGameData(kept, false);
    EXPECT_EQ(kept.udtUser[1].blnReady, -1);
    ResetGameData(state, true);
    EXPECT_EQ(state.udtUser[1].blnReady, 0);
    EXPECT_EQ(state.udtUser[1].strUserName, "张三");
    EXPECT_EQ(state.udtUser[1].lngIconNo, 7);
    EXPECT_EQ(state.udtUser[1].blnOffline, -1);
    EXPECT_EQ(state.udtUser[1].bteCardCount, 0);
    EXPECT_TRUE(state.udtUser[1].bteOutPai.empty());
    EXPECT_EQ(state.udtUser[1].bteMingCi, 0);
    EXPECT_TRUE(state.bteMyPai.empty());
    EXPECT_TRUE(state.bteSelected.empty());
    EXPECT_EQ(state.bteGameState, kPhaseNone);
    EXPECT_EQ(state.bteMaxAutoOutTimes, 5);
    EXPECT_EQ(state.blnShowMyPai, 0);           // stays
    EXPECT_EQ(state.udtMaxOutPai.bteCount, 2);  // stays

    InitGameData(state);
    EXPECT_EQ(state.udtUser[1].strUserName, "");
    EXPECT_EQ(state.blnShowMyPai, 1);
}

TEST(GameState, WhichRedTensTheHandHolds) {
    GameState state;
    state.bteMyPai = {0, 13, 33};
    EXPECT_EQ(GetMyHong10(state), 0);
    state.bteMyPai = {0, 72};
    EXPECT_EQ(GetMyHong10(state), 2);
    state.bteMyPai = {59, 0};
    EXPECT_EQ(GetMyHong10(state), 1);
    state.bteMyPai = {72, 59};
    EXPECT_EQ(GetMyHong10(state), 3);
    state.bteMyPai = {59, 59, 72};
    EXPECT_EQ(GetMyHong10(state), 0);
}

}  // namespace
}  // namespace redten
