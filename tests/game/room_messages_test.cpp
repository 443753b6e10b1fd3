#include "game/brain_fixture.h"
#include "wire/client_messages.h"

namespace redten::test {
namespace {

using RoomFlow = BrainTest;

std::vector<std::string> SystemLines(const ChatLog& chat) {
    std::vector<std::string> lines;
    for (const auto& l : chat.Lines()) {
        if (l.kind == ChatLog::Kind::System) {
            lines.push_back(l.text);
        }
    }
    return lines;
}

TEST_F(RoomFlow, TheFullListSeatsThePlayersAndFindsTheOwnSeat) {
    RouteText({130, 3}, "王五`王五");
    RouteText({130, 2}, JoinFields({Record("张三", 0, "", 1), Record("李四", 5, "", 0, 1),
                                    Record("王五", 2), Record("看客", 0, "王五")}));
    EXPECT_EQ(context.game.udtUser[0].strUserName, "张三");
    EXPECT_EQ(context.game.udtUser[0].blnReady, -1);
    EXPECT_EQ(context.game.udtUser[1].strUserName, "李四");  // chair 5 is seat 1
    EXPECT_EQ(context.game.udtUser[1].blnOffline, -1);
    EXPECT_EQ(context.game.udtUser[0].lngIconNo, 1003);
    EXPECT_EQ(context.define.bteViewSeat, 2);
    EXPECT_FALSE(context.define.blnPangGuan);
    EXPECT_EQ(context.define.ViewPos[2], kViewBottom);
    EXPECT_EQ(users.Records().size(), 4u);
    EXPECT_GT(context.revision, 0u);
    // A list that is not whole records loads nobody.
    RouteText({130, 2}, "a`b`c");
    EXPECT_TRUE(users.Records().empty());
}

TEST_F(RoomFlow, ArrivalsOfKnownUsersChangeNothing) {
    SitDown();
    const std::size_t lines = chat.Lines().size();
    RouteText({130, 4}, Record("李四", 3));
    EXPECT_EQ(context.game.udtUser[3].strUserName, "赵六");
    EXPECT_EQ(chat.Lines().size(), lines);
}

TEST_F(RoomFlow, APlayerArrivesOnTheSeatOfItsChair) {
    RouteText({130, 4}, Record("钱七", 6));
    EXPECT_EQ(context.game.udtUser[2].strUserName, "钱七");
    EXPECT_EQ(SystemLines(chat), std::vector<std::string>{"钱七 进来了..."});
    RouteText({130, 4}, "too`few`fields");
    EXPECT_EQ(users.Records().size(), 1u);
}

TEST_F(RoomFlow, SpectatorsComeAndGo) {
    SitDown();
    RouteText({130, 0}, Record("路人", 0));  // no one watched: not a spectator
    EXPECT_TRUE(users.Find("路人").empty());
    RouteText({130, 0}, Record("看客", 0, "张三"));
    EXPECT_FALSE(users.Find("看客").empty());
    EXPECT_EQ(SystemLines(chat).back(), "看客 进来了，正在旁观 张三 游戏...");
    EXPECT_EQ(sounds.played.back(), "PangGuanIn.wav");

    const std::size_t lines = chat.Lines().size();
    RouteText({108, 3}, "看客");  // a spectator is on no seat
    EXPECT_EQ(chat.Lines().size(), lines);
    RouteText({108, 4}, "看客");
    EXPECT_TRUE(users.Find("看客").empty());
    EXPECT_EQ(SystemLines(chat).back(), "旁观用户 看客 走了...");
    EXPECT_EQ(sounds.played.back(), "PangGuanOut.wav");
}

TEST_F(RoomFlow, DropsReturnsAndDepartures) {
    SitDown();
    RouteText({108, 3}, "李四");
    EXPECT_EQ(context.game.udtUser[1].blnOffline, -1);
    EXPECT_EQ(SystemLines(chat).back(), "不好，李四 掉线了...");
    RouteText({108, 0}, "李四");
    EXPECT_EQ(context.game.udtUser[1].blnOffline, 0);
    EXPECT_EQ(SystemLines(chat).back(), "哈哈，李四 终于上线了...");

    RouteText({110, 1}, "李四");  // sub-code 1: not a departure
    EXPECT_EQ(context.game.udtUser[1].strUserName, "李四");
    RouteText({110, 0}, "李四");
    EXPECT_EQ(context.game.udtUser[1].strUserName, "");
    EXPECT_EQ(context.game.udtUser[1].lngIconNo, 0);
    EXPECT_EQ(SystemLines(chat).back(), "李四 走了...");
    EXPECT_TRUE(users.Find("李四").empty());
}

TEST_F(RoomFlow, TheSettingsStateInItsThreeBranches) {
    SitDown();
    RouteText({111, 0}, "1`张三`0`1`4`1`0`100`1000`10`50`500`0");
    ASSERT_EQ(gameSet.opened.size(), 1u);
    EXPECT_TRUE(gameSet.opened[0].first);
    EXPECT_EQ(gameSet.opened[0].second, "100`1000`10`50`500`0");

    RouteText({111, 0}, "1`李四`0`0`4`1`0");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].type, 0);
    EXPECT_EQ(boxes.shown[0].text, "等待桌主进行本桌游戏设置...");
    EXPECT_EQ(boxes.shown[0].caption, "");

    RouteText({111, 0}, "1`李四`0`0`4`1`2`100`1000`10`50`500`0");
    ASSERT_EQ(gameSet.opened.size(), 2u);
    EXPECT_FALSE(gameSet.opened[1].first);

    gameSet.accept = false;
    RouteText({111, 0}, "1`李四`0`0`4`1`2`bad");
    EXPECT_EQ(link.sent.back(), MakeLeaveTable("张三"));

    RouteText({111, 0}, "1`李四`0`0`4`0");
    EXPECT_EQ(context.define.blnInGame, 0);
    EXPECT_TRUE(flow.StartVisible());
    RouteText({111, 0}, "1`2`3`4`5");  // fewer than six fields
    EXPECT_EQ(gameSet.opened.size(), 3u);
}

TEST_F(RoomFlow, RaisedHandsWithAndWithoutSettings) {
    SitDown();
    RouteText({112, 0}, "李四`100`1000`10`50`500`0");
    EXPECT_EQ(context.game.udtUser[1].blnReady, -1);
    EXPECT_EQ(boxes.closed, 1);
    ASSERT_EQ(gameSet.opened.size(), 1u);
    EXPECT_FALSE(gameSet.opened[0].first);

    RouteText({112, 0}, "张三`100`1000`10`50`500`0");  // our own: no dialog
    EXPECT_EQ(gameSet.opened.size(), 1u);
    RouteText({112, 0}, "王五");
    EXPECT_EQ(context.game.udtUser[2].blnReady, -1);
    RouteText({112, 0}, "无名氏");  // on no seat: ignored
    EXPECT_EQ(boxes.closed, 3);
    RouteText({112, 2}, "赵六");  // and everybody's hand goes down
    for (const UserGameInfo& u : context.game.udtUser) {
        EXPECT_EQ(u.blnReady, 0);
    }
}

TEST_F(RoomFlow, NoticesIdentityResetAndWindow) {
    SitDown();
    Route({105, 0, 0, 'a', 0xC1});  // a broken last character: empty text
    ASSERT_FALSE(chat.Lines().empty());
    EXPECT_EQ(chat.Lines().back().kind, ChatLog::Kind::Notice);
    EXPECT_EQ(chat.Lines().back().text, "");

    RouteText({130, 3}, "张三丰`张三丰");
    EXPECT_EQ(context.launch.strMyName, "张三丰");
    EXPECT_EQ(users.OwnName(), "张三丰");
    RouteText({130, 3}, "one`two`three");
    EXPECT_EQ(context.launch.strMyName, "张三丰");

    Route({130, 5, 1});
    EXPECT_FALSE(windowShown);
    Route({130, 5, 0});
    EXPECT_TRUE(windowShown);

    chat.SetAddressee("李四");
    Route({130, 1});
    EXPECT_TRUE(users.Records().empty());
    EXPECT_TRUE(chat.Lines().empty());
    EXPECT_EQ(chat.Addressee(), "所有人");
    EXPECT_EQ(context.game.udtUser[0].strUserName, "");
    EXPECT_EQ(context.define.strViewUserName, "");
}

TEST_F(RoomFlow, ChatLinesComeWithTenFieldsOrNotAtAll) {
    RouteText({1}, "a`b`c`d`e`f`g`h`i`j");
    ASSERT_EQ(chat.Lines().size(), 1u);
    EXPECT_EQ(chat.Lines()[0].text, "c：j");
    RouteText({1}, "a`b`c`d`e`f`g`h`i");
    EXPECT_EQ(chat.Lines().size(), 1u);
}

}  // namespace
}  // namespace redten::test
