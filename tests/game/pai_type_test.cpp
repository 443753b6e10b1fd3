#include <gtest/gtest.h>

#include "rules/pai_type.h"

namespace redten {
namespace {

PaiClass TypeOf(std::initializer_list<std::uint8_t> cards) {
    return GetPaiType(CardList(cards));
}

void ExpectType(std::initializer_list<std::uint8_t> cards, std::uint8_t type, std::uint8_t main) {
    const PaiClass c = TypeOf(cards);
    EXPECT_EQ(c.type, type) << testing::PrintToString(CardList(cards));
    EXPECT_EQ(c.main, main) << testing::PrintToString(CardList(cards));
}

TEST(GetPaiType, TheFiveTypesAndTheirMainCards) {
    ExpectType({59}, kTypeSingle, 59);
    ExpectType({59, 72}, kTypeRedTens, 59);
    ExpectType({72, 59}, kTypeRedTens, 72);
    ExpectType({59, 33}, kTypePair, 7);
    ExpectType({33, 59}, kTypePair, 33);
    ExpectType({59, 72, 33}, kTypeBomb, 7);
    ExpectType({1, 14, 27, 40}, kTypeBomb, 1);
    ExpectType({0, 1, 2}, kTypeStraight, 2);
    ExpectType({9, 10, 11}, kTypeStraight, 11);
    ExpectType({6, 59, 8}, kTypeStraight, 8);
    ExpectType({11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}, kTypeStraight, 11);
}

TEST(GetPaiType, WhatIsNoType) {
    for (const CardList& cards : {CardList{}, CardList{10, 11, 12}, CardList{11, 12, 0},
                                  CardList{0, 1, 14}, CardList{0, 2, 3}, CardList{0, 13, 26, 39, 0},
                                  CardList{0, 14}, CardList{12, 25, 38, 51, 12}, CardList(55, 0)}) {
        EXPECT_EQ(GetPaiType(cards).type, kNoType) << testing::PrintToString(cards);
    }
    EXPECT_EQ(GetPaiTypeName(kTypeStraight), "顺子");
    EXPECT_EQ(GetPaiTypeName(kNoType), "未知的牌型");
    EXPECT_EQ(GetPaiTypeName(5), "未知的牌型");
}

MaxOutPai ToBeat(std::initializer_list<std::uint8_t> cards) {
    const PaiClass c = TypeOf(cards);
    return MaxOutPai{0, c.type, c.main, static_cast<std::uint8_t>(cards.size())};
}

void ExpectRefused(std::initializer_list<std::uint8_t> play, const MaxOutPai& toBeat,
                   const std::string& message) {
    const PlayCheck check = CheckFollowOutPai(CardList(play), toBeat);
    EXPECT_FALSE(check.ok) << testing::PrintToString(CardList(play));
    EXPECT_EQ(check.message, message) << testing::PrintToString(CardList(play));
}

void ExpectAccepted(std::initializer_list<std::uint8_t> play, const MaxOutPai& toBeat) {
    const PlayCheck check = CheckFollowOutPai(CardList(play), toBeat);
    EXPECT_TRUE(check.ok) << testing::PrintToString(CardList(play)) << check.message;
}

TEST(CheckFollowOutPai, SinglesAndTheRedTens) {
    ExpectRefused({12}, ToBeat({59}), "出牌错误：你出牌必须比上一家出牌还要大！");
    ExpectAccepted({59}, ToBeat({12}));
    ExpectRefused({72}, ToBeat({59}), "出牌错误：你出牌必须比上一家出牌还要大！");
    ExpectAccepted({59, 72}, ToBeat({59 - 52 + 13}));
    ExpectRefused({0}, ToBeat({59, 72}), "无法出牌：当前最大出牌是 两红10！");
    ExpectRefused({0, 5}, ToBeat({59, 72}), "无法出牌：当前最大出牌是 两红10！");
}

TEST(CheckFollowOutPai, BombsCrossTypesButMustBeatBombs) {
    ExpectAccepted({2, 15, 28}, ToBeat({4, 5, 6, 7, 8}));
    ExpectRefused({11, 24, 37}, ToBeat({0, 13, 26, 39}), "出牌错误：你的炸弹太小！");
    ExpectAccepted({0, 13, 26, 39}, ToBeat({11, 24, 37}));
    ExpectAccepted({5, 18, 31}, ToBeat({4, 17, 30}));
    ExpectRefused({4, 17, 30}, ToBeat({5, 18, 31}), "出牌错误：你的炸弹太小！");
    ExpectAccepted({59, 72}, ToBeat({0, 13, 26, 39}));
}

TEST(CheckFollowOutPai, SameTypeSameCountHigher) {
    ExpectRefused({0, 13}, ToBeat({5}), "出牌错误：必须出 单牌 !");
    ExpectRefused({5}, ToBeat({0, 13, 26}), "出牌错误：必须出 炸弹 !");
    ExpectRefused({0, 1, 2, 3}, ToBeat({4, 5, 6, 7, 8}),
                  "出牌错误：出牌张数必须和上一家出牌张数相同！");
    ExpectRefused({1, 2, 3}, ToBeat({1, 2, 3}), "出牌错误：你出牌必须比上一家出牌还要大！");
    ExpectAccepted({2, 3, 4}, ToBeat({1, 2, 3}));
    ExpectAccepted({8, 21}, ToBeat({59, 33}));
    ExpectRefused({7, 20}, ToBeat({59, 33}), "出牌错误：你出牌必须比上一家出牌还要大！");
    ExpectRefused({0, 2}, ToBeat({5}), "出牌错误：牌型不对！");
}

TEST(CheckFirstOutPai, AnyTypeMayLead) {
    EXPECT_TRUE(CheckFirstOutPai(CardList{59, 72}).ok);
    const PlayCheck straight = CheckFirstOutPai(CardList{6, 59, 8});
    EXPECT_TRUE(straight.ok);
    EXPECT_EQ(straight.type, kTypeStraight);
    EXPECT_EQ(straight.main, 8);
    const PlayCheck bad = CheckFirstOutPai(CardList{0, 2});
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.message, "出牌错误：牌型不对！");
}

}  // namespace
}  // namespace redten
