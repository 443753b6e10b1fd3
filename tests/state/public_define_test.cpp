#include <gtest/gtest.h>

#include "state/client_context.h"
#include "state/public_define.h"

namespace redten {
namespace {

TEST(Levels, TitleOfTheLastThresholdReached) {
    const auto levels = ParseLevelList("A_0`B_100`C_500");
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(GetLevelName(levels, -5), "A");
    EXPECT_EQ(GetLevelName(levels, 0), "A");
    EXPECT_EQ(GetLevelName(levels, 99), "A");
    EXPECT_EQ(GetLevelName(levels, 100), "B");
    EXPECT_EQ(GetLevelName(levels, 499), "B");
    EXPECT_EQ(GetLevelName(levels, 500), "C");
    EXPECT_EQ(GetLevelName(levels, 2147483647), "C");
}

TEST(Levels, EmptyListAndOddEntries) {
    EXPECT_EQ(GetLevelName(ParseLevelList(""), 10), "未知级别");
    const auto levels = ParseLevelList("新手`老手_x`高手_20_9`_50");
    ASSERT_EQ(levels.size(), 4u);
    EXPECT_EQ(levels[0].strLevelName, "新手");
    EXPECT_EQ(levels[0].lngLevelValue, 0);
    EXPECT_EQ(levels[1].lngLevelValue, 0);
    EXPECT_EQ(levels[2].strLevelName, "高手");
    EXPECT_EQ(levels[2].lngLevelValue, 20);
    EXPECT_EQ(levels[3].strLevelName, "");
    EXPECT_EQ(levels[3].lngLevelValue, 50);
}

TEST(ViewPos, EveryOwnSeatIsDrawnAtTheBottomWithTheOthersCounterClockwise) {
    const std::array<std::string, 4> seats{"s0", "s1", "s2", "s3"};
    for (std::uint8_t s = 0; s < 4; ++s) {
        PublicDefine define;
        define.strViewUserName = seats[s];
        CalcViewPos(define, seats, seats[s]);
        EXPECT_EQ(define.bteViewSeat, s);
        EXPECT_FALSE(define.blnPangGuan);
        EXPECT_EQ(define.ViewPos[s], kViewBottom);
        EXPECT_EQ(define.ViewPos[(s + 1) % 4], kViewRight);
        EXPECT_EQ(define.ViewPos[(s + 2) % 4], kViewTop);
        EXPECT_EQ(define.ViewPos[(s + 3) % 4], kViewLeft);
    }
}

TEST(ViewPos, WatchingAnotherPlayerAndUnknownNames) {
    const std::array<std::string, 4> seats{"s0", "s1", "s2", "s3"};
    PublicDefine define;
    define.strViewUserName = "s3";
    CalcViewPos(define, seats, "me");
    EXPECT_TRUE(define.blnPangGuan);
    EXPECT_EQ(define.ViewPos, (std::array<std::uint8_t, 4>{kViewRight, kViewTop, kViewLeft, kViewBottom}));

    PublicDefine untouched;
    untouched.strViewUserName = "nobody";
    untouched.bteViewSeat = 3;
    CalcViewPos(untouched, seats, "me");
    EXPECT_EQ(untouched.bteViewSeat, 3);
    EXPECT_EQ(untouched.ViewPos, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
}

TEST(Directories, ProgramAndParentKeepTheirFinalSeparator) {
    EXPECT_EQ(AppPathFrom("D:\\Game\\Red"), "D:\\Game\\Red/");
    EXPECT_EQ(ParentPathOf("D:\\Game\\Red\\"), "D:\\Game\\");
    EXPECT_EQ(AppPathFrom("/opt/redten/table"), "/opt/redten/table/");
    EXPECT_EQ(AppPathFrom("/opt/redten/table/"), "/opt/redten/table/");
    EXPECT_EQ(ParentPathOf("/opt/redten/table/"), "/opt/redten/");
    EXPECT_EQ(ParentPathOf("/table/"), "/");
    EXPECT_EQ(ParentPathOf("/"), "/");
    EXPECT_EQ(ParentPathOf(""), "");
}

TEST(InitPublicDefine, RecomputesAllButTheViewerAndKeepsMemberKinds) {
    PublicDefine define;
    define.bteViewSeat = 2;
    define.blnPangGuan = true;
    define.blnExiting = true;
    define.blnInGame = 1;
    define.ViewPos = {1, 2, 3, 0};
    InitPublicDefine(define, "/opt/redten/table", "A_0`B_10");
    EXPECT_EQ(define.strAppPath, "/opt/redten/table/");
    EXPECT_EQ(define.strParentPath, "/opt/redten/");
    EXPECT_EQ(define.LevelInfo.size(), 2u);
    EXPECT_EQ(define.bteViewSeat, 2);
    EXPECT_TRUE(define.blnPangGuan);
    EXPECT_FALSE(define.blnExiting);
    EXPECT_EQ(define.blnInGame, 0);
    EXPECT_EQ(define.ViewPos, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(MemberKindName(define, 0), "普通用户");
    EXPECT_EQ(MemberKindName(define, 2999), "蓝钻会员");
    EXPECT_EQ(MemberKindName(define, 4000), "绿钻会员");
    EXPECT_EQ(MemberKindName(define, 5011), "电脑玩家");
    EXPECT_EQ(MemberKindName(define, 6000), "未知身份");
    EXPECT_EQ(MemberKindName(define, -1000), "未知身份");
}

TEST(TableControls, ANewGameHidesTheButtonsAndShortensTheTipsAFreshTableDoesNot) {
    ClientContext context;
    EXPECT_EQ(context.controls.strOptionTip[0], " 对手里的牌重新排序 ");
    context.controls.bteOutState = {ButtonState::Shown, ButtonState::Lit, ButtonState::Shown};
    context.scene.blast = Blast::Bomb;
    context.game.udtUser[1].strUserName = "张三";
    ResetGameData(context, true);
    EXPECT_EQ(context.controls.bteOutState, (std::array<ButtonState, 3>{}));
    EXPECT_FALSE(context.BlastRunning());
    EXPECT_EQ(context.controls.strOptionTip[1], "上一轮");
    EXPECT_EQ(context.game.udtUser[1].strUserName, "张三");
    InitGameData(context);
    EXPECT_EQ(context.controls.strOptionTip[1], " 查看玩家上一轮的出牌 ");
    EXPECT_EQ(context.game.udtUser[1].strUserName, "");
}

}  // namespace
}  // namespace redten
