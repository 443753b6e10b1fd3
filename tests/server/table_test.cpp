#include <gtest/gtest.h>

#include <algorithm>

#include "wire/client_messages.h"
#include "wire/message.h"
#include "wire/text_fields.h"
#include "wire/user_list_text.h"
#include "support/fake_table_host.h"
#include "server/tables/selfplay.h"
#include "engine/shuffle.h"
#include "server/tables/table.h"

namespace redten::room {
namespace {

using test::FakeTableHost;

constexpr PersonId kHuman = 1;
constexpr PersonId kWatcher = 2;

PersonRecord Person(const std::string& name, std::int32_t id) {
    PersonRecord p;
    p.name = name;
    p.userId = id;
    return p;
}

class TableTest : public testing::Test {
protected:
    TableTest() {
        options_.botPauseMs = 0;
        options_.botQuietMs = 0;
        table_ = std::make_unique<Table>(7, options_, host_);
    }

    // 张三 at seat 0 as the owner, three computer players beside.
    void SeatHumanAndBots(bool allowWatch = true) {
        ASSERT_TRUE(table_->SeatPlayer(kHuman, Person("张三", 10001), false, allowWatch));
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(table_->SeatPlayer(-1 - i, Person("电脑" + std::to_string(i), 20 + i), true, true));
        }
        host_.Run(0);
    }

    void ConfirmAndStart() {
        table_->OnMessage(kHuman, MakeConfirmSettings("张三", "200`1000`10`50`500`0"));
        host_.Run(0);
        ASSERT_TRUE(table_->GameRunning());
    }

    std::vector<Bytes> SentTo(PersonId id) { return host_.sent[id]; }

    TableOptions options_;
    FakeTableHost host_;
    std::unique_ptr<Table> table_;
};

TEST_F(TableTest, TheFirstPersonOwnsTheTableAndIsAskedForTheSettings) {
    SeatHumanAndBots();
    const auto identity = host_.Of(kHuman, 130);
    ASSERT_GE(identity.size(), 2u);
    EXPECT_EQ(GetTextFromBytes(identity[0], 2), "张三`张三");
    EXPECT_EQ(identity[1][1], 2);  // the full list follows the identity
    EXPECT_EQ(host_.Of(kHuman, 130).size(), 5u);  // and three arrivals (130/4)
    const auto settings = host_.Of(kHuman, 111);
    ASSERT_EQ(settings.size(), 1u);
    const auto fields = SplitFields(GetTextFromBytes(settings[0], 2));
    ASSERT_EQ(fields.size(), 13u);
    EXPECT_EQ(fields[3], "1");  // the recipient owns the table
    EXPECT_EQ(fields[5], "1");  // settings are due
    EXPECT_EQ(fields[6], "0");  // and not made yet
    EXPECT_EQ(JoinFields({fields.begin() + 7, fields.end()}), "100`1000`10`50`500`0");
    EXPECT_FALSE(table_->GameRunning());  // the computer players wait for the owner
}

TEST_F(TableTest, SettingsOutOfRangeAreRefusedAndAskedAgain) {
    SeatHumanAndBots();
    table_->OnMessage(kHuman, MakeConfirmSettings("张三", "5`1000`10`50`500`0"));
    host_.Run(0);
    EXPECT_EQ(host_.Of(kHuman, 22).size(), 1u);
    EXPECT_EQ(host_.Of(kHuman, 111).size(), 2u);
    EXPECT_FALSE(table_->GameRunning());
    // Somebody else's name in the message is not the owner speaking.
    table_->OnMessage(kHuman, MakeConfirmSettings("李四", "200`1000`10`50`500`0"));
    host_.Run(0);
    EXPECT_FALSE(table_->GameRunning());
}

TEST_F(TableTest, ConfirmedSettingsAreAgreedToAndTheGameStartsWithTheDeal) {
    SeatHumanAndBots();
    ConfirmAndStart();
    const auto hands = host_.Of(kHuman, 112);
    ASSERT_EQ(hands.size(), 4u);  // the owner's settings, then three agreements
    EXPECT_EQ(GetTextFromBytes(hands[0], 2), "张三`200`1000`10`50`500`0");
    const auto start = host_.Of(kHuman, 17);
    ASSERT_EQ(start.size(), 1u);
    EXPECT_EQ(start[0].size(), 15u);
    EXPECT_EQ(start[0][3], 5);
    EXPECT_EQ(start[0][13], 15);
    EXPECT_EQ(start[0][14], 30);
    const auto deal = host_.Of(kHuman, 19);
    ASSERT_EQ(deal.size(), 1u);
    EXPECT_EQ(deal[0].size(), 15u);
}

TEST_F(TableTest, PlaysOutOfTurnOrOfCardsNotHeldAreRefusedWithANotice) {
    SeatHumanAndBots();
    ConfirmAndStart();
    const Bytes deal = host_.Of(kHuman, 19)[0];
    const CardList hand(deal.begin() + 2, deal.end());
    table_->OnMessage(kHuman, MakeShowingAnswer(0, 3));  // may not hold both tens
    table_->OnMessage(kHuman, MakePlay(0, CardList{hand[0]}));   // not the time to play
    table_->OnMessage(kHuman, MakePlay(1, CardList{hand[0]}));   // not its seat: ignored
    table_->OnMessage(kHuman, Bytes{21, 0, 0, 0, 0, 0, 5, 1});  // wrong length: ignored
    const auto notices = host_.Of(kHuman, 22);
    const bool holdsBoth = std::count(hand.begin(), hand.end(), 59) && std::count(hand.begin(), hand.end(), 72);
    EXPECT_EQ(notices.size(), holdsBoth ? 1u : 2u);
    EXPECT_TRUE(table_->GameRunning());
}

TEST_F(TableTest, LeavingARunningGameIsRunningAway) {
    SeatHumanAndBots();
    ASSERT_TRUE(table_->AddSpectator(kWatcher, Person("看客", 30001), "张三", true));
    ConfirmAndStart();
    table_->OnMessage(kHuman, MakeLeaveTable("张三"));
    table_->LinkLost(kHuman);  // the link closing after the leave is not a second escape
    host_.Run();
    EXPECT_FALSE(table_->GameRunning());
    EXPECT_TRUE(host_.disconnected.count(kHuman));
    // The spectator is sent away, and told why first.
    EXPECT_TRUE(host_.disconnected.count(kWatcher));
    ASSERT_FALSE(host_.Of(kWatcher, 22).empty());
    EXPECT_EQ(GetTextFromBytes(host_.Of(kWatcher, 22).back(), 1), "你旁观的玩家已经离开了本桌。");
    ASSERT_EQ(host_.finished.size(), 1u);
    const FinishedGame& g = host_.finished[0];
    EXPECT_EQ(g.escapedSeat, 0);
    EXPECT_EQ(g.scores, (std::array<std::int32_t, 4>{-50, 17, 17, 16}));
    EXPECT_EQ(g.records[0].escapes, 1);
    const auto over = host_.Of(kHuman, 23);
    ASSERT_EQ(over.size(), 1u);
    std::int32_t first = 0;
    ASSERT_TRUE(GetLongFromBytes(first, over[0], 2));
    EXPECT_EQ(first, -50);
    EXPECT_EQ(table_->SeatName(0), "");
}

TEST_F(TableTest, ASpectatorIsNeverSentTheCardsOfAPlayerWhoHidesThem) {
    SeatHumanAndBots(/*allowWatch=*/false);
    ASSERT_TRUE(table_->AddSpectator(kWatcher, Person("看客", 30001), "张三", true));
    ConfirmAndStart();
    // Let the computer players play on while the person plays a little.
    table_->OnMessage(kHuman, MakeShowingAnswer(0, 0));
    host_.Run(1000);
    const auto holds = [](const Bytes& m, std::size_t from, std::size_t count) {
        return std::all_of(m.begin() + static_cast<std::ptrdiff_t>(from),
                           m.begin() + static_cast<std::ptrdiff_t>(from + count),
                           [](std::uint8_t c) { return c == 255; });
    };
    const auto deal = host_.Of(kWatcher, 19);
    ASSERT_EQ(deal.size(), 1u);
    EXPECT_EQ(deal[0].size(), 15u);
    EXPECT_TRUE(holds(deal[0], 2, 13));
    for (const Bytes& m : host_.Of(kWatcher, 2)) {
        EXPECT_TRUE(holds(m, 3, m[2]));
    }
    // Once allowed, the real hand is sent.
    table_->OnMessage(kHuman, MakeWatchSetting("张三", 1));
    const auto visibility = host_.Of(kWatcher, 113);
    ASSERT_EQ(visibility.size(), 1u);
    EXPECT_EQ(visibility[0], (Bytes{113, 0, 1}));
    const auto hands = host_.Of(kWatcher, 2);
    ASSERT_FALSE(hands.empty());
    EXPECT_FALSE(holds(hands.back(), 3, hands.back()[2]));
}

TEST_F(TableTest, ADroppedPlayerComesBackToItsHandOrRunsAwayAfterTheGrace) {
    SeatHumanAndBots();
    ASSERT_TRUE(table_->AddSpectator(kWatcher, Person("看客", 30001), "张三", true));
    ConfirmAndStart();
    const Bytes deal = host_.Of(kHuman, 19)[0];
    table_->LinkLost(kHuman);
    EXPECT_TRUE(table_->HasDroppedPlayer("张三"));
    ASSERT_EQ(host_.Of(kWatcher, 108).size(), 1u);
    EXPECT_EQ(host_.Of(kWatcher, 108)[0][1], 3);

    constexpr PersonId kBack = 9;
    ASSERT_TRUE(table_->Rejoin(kBack, "张三", true));
    EXPECT_EQ(host_.Of(kWatcher, 108).back()[1], 0);
    const auto snapshot = host_.Of(kBack, 109);
    ASSERT_EQ(snapshot.size(), 1u);
    const Bytes& s = snapshot[0];
    ASSERT_GT(s.size(), 31u);
    EXPECT_NE(s[2], 0);  // a game runs
    // Skip the four played-card lists to reach the own hand.
    std::size_t i = 31;
    for (int seat = 0; seat < 4; ++seat) {
        i += 1 + s[i];
    }
    ASSERT_LT(i, s.size());
    CardList hand(s.begin() + static_cast<std::ptrdiff_t>(i + 1), s.end());
    CardList dealt(deal.begin() + 2, deal.end());
    std::sort(hand.begin(), hand.end());
    std::sort(dealt.begin(), dealt.end());
    EXPECT_EQ(hand, dealt);  // nothing played yet: the whole deal

    table_->LinkLost(kBack);
    host_.Run(options_.dropGraceMs + 1);
    ASSERT_FALSE(host_.finished.empty());
    EXPECT_EQ(host_.finished.back().escapedSeat, 0);
    EXPECT_FALSE(table_->HasPerson("张三"));
}

TEST_F(TableTest, ADroppedSeatIsPlayedForWhenItsTurnTimeRunsOutUntilItComesBack) {
    options_.game.showSeconds = 5;
    options_.game.playSeconds = 5;
    table_ = std::make_unique<Table>(7, options_, host_);
    SeatHumanAndBots();
    ASSERT_TRUE(table_->AddSpectator(kWatcher, Person("看客", 30001), "张三", true));
    ConfirmAndStart();
    table_->LinkLost(kHuman);
    host_.Run(31000);
    ASSERT_TRUE(table_->GameRunning());

    // How long seat 0 took over each of its moves, as the spectator saw them.
    const auto& got = host_.sent[kWatcher];
    const auto& at = host_.sentAt[kWatcher];
    std::int64_t turnFrom = at[0];
    std::vector<std::int64_t> waits;
    std::vector<std::string> notices;
    for (std::size_t i = 0; i < got.size(); ++i) {
        const Bytes& m = got[i];
        if ((m[0] == 20 && m[1] == 0 && m[2] == 0 && waits.empty()) || (m[0] == 21 && m[5] == 0)) {
            waits.push_back(at[i] - turnFrom);
        }
        if ((m[0] == 20 && m[1] == 1) || m[0] == 21) {
            turnFrom = at[i];  // the next seat's turn starts
        }
        if (m[0] == 105) {
            notices.push_back(GetTextFromBytes(m, 3));
        }
    }
    ASSERT_GE(waits.size(), 2u);
    EXPECT_EQ(waits[0], 5000);  // the showing answer
    for (std::size_t i = 1; i < waits.size(); ++i) {
        EXPECT_EQ(waits[i], 5000) << "move " << i;
    }
    ASSERT_EQ(notices.size(), 4u);  // the welcome, then at 0, 15 and 30 seconds
    EXPECT_EQ(notices[1], "张三 掉线了，还有 60 秒可以回来，期间由系统代为出牌。");
    EXPECT_EQ(notices[3], "张三 掉线了，还有 30 秒可以回来。");

    // Back within the grace: the notices stop. Dropping again two seconds
    // into a turn leaves the seat the rest of its turn time, no more.
    constexpr PersonId kBack = 9;
    ASSERT_TRUE(table_->Rejoin(kBack, "张三", true));
    const auto after = [&](std::size_t from, auto match) {
        for (std::size_t i = from; i < got.size(); ++i) {
            if (match(got[i])) {
                return i;
            }
        }
        return got.size();
    };
    const auto toSeat0 = [](const Bytes& m) { return ((m[0] == 20 && m[1] == 1) || m[0] == 21) && m[2] == 0; };
    const std::size_t seen = got.size();
    for (int step = 0; step < 300 && after(seen, toSeat0) == got.size(); ++step) {
        host_.Run(100);
    }
    const std::size_t turn = after(seen, toSeat0);
    ASSERT_TRUE(turn < got.size() && table_->GameRunning());
    const std::int64_t ownTurn = at[turn];
    host_.Run(ownTurn + 2000 - host_.Now());
    EXPECT_EQ(host_.Of(kWatcher, 105).size(), notices.size());
    table_->LinkLost(kBack);
    host_.Run(5000);
    const std::size_t played = after(turn + 1, [](const Bytes& m) { return m[0] == 21 && m[5] == 0; });
    ASSERT_LT(played, got.size());
    EXPECT_EQ(at[played] - ownTurn, 5000);
}

TEST_F(TableTest, AfterAGameEverybodySeesTheNewTotalsAndTheComputersWaitForThePerson) {
    SeatHumanAndBots();
    ASSERT_TRUE(table_->AddSpectator(kWatcher, Person("看客", 30001), "张三", true));
    ConfirmAndStart();
    host_.Run();  // the person's turns are played for it; then nothing moves
    ASSERT_EQ(host_.finished.size(), 1u);
    EXPECT_FALSE(table_->GameRunning());
    for (const PersonId id : {kHuman, kWatcher}) {
        const auto& got = host_.sent[id];
        const auto over = std::find_if(got.begin(), got.end(), [](const Bytes& m) { return m[0] == 23; });
        ASSERT_TRUE(over != got.end() && over + 1 != got.end());
        const Bytes& list = over[1];
        ASSERT_EQ(Bytes(list.begin(), list.begin() + 2), (Bytes{130, 2}));
        const auto records = SplitUserListText(GetTextFromBytes(list, 2));
        ASSERT_EQ(records.size(), 5u);
        EXPECT_EQ(SplitFields(records[0])[5], "1");  // 张三's games
        EXPECT_EQ(std::count_if(over, got.end(), [](const Bytes& m) { return m[0] == 112; }), 0)
            << "a computer player raised its hand before the person";
    }
    table_->OnMessage(kHuman, MakeReadyInGame(0));
    host_.Run(0);
    EXPECT_TRUE(table_->GameRunning());
}

TEST_F(TableTest, TheRoomClosingAbandonsAGameOfPeoplePresentAndCountsADropAsAnEscape) {
    SeatHumanAndBots();
    ConfirmAndStart();
    table_->Shutdown();
    EXPECT_FALSE(table_->GameRunning());
    ASSERT_EQ(host_.finished.size(), 1u);
    const FinishedGame& abandoned = host_.finished[0];
    EXPECT_TRUE(abandoned.abandoned);
    EXPECT_EQ(abandoned.scores, (std::array<std::int32_t, 4>{}));
    EXPECT_EQ(abandoned.records[0].games, 0);

    table_->OnMessage(kHuman, MakeReadyInGame(0));
    host_.Run(0);
    ASSERT_TRUE(table_->GameRunning());
    table_->LinkLost(kHuman);
    table_->Shutdown();
    ASSERT_EQ(host_.finished.size(), 2u);
    EXPECT_FALSE(host_.finished[1].abandoned);
    EXPECT_EQ(host_.finished[1].escapedSeat, 0);
    EXPECT_EQ(host_.finished[1].records[0].escapes, 1);
    EXPECT_EQ(host_.finished[1].records[0].points, -50);
}

TEST_F(TableTest, APrivateChatLineReachesOnlyItsAddresseeAndSender) {
    SeatHumanAndBots();
    ASSERT_TRUE(table_->AddSpectator(kWatcher, Person("看客", 30001), "张三", true));
    constexpr PersonId kThird = 3;
    ASSERT_TRUE(table_->AddSpectator(kThird, Person("路人", 30002), "张三", true));
    std::array<std::string, 10> line{"冒充", "看客", "", "", "", "0", "0", "", "", "你好"};
    table_->OnMessage(kHuman, MakeChatLine(line));
    ASSERT_EQ(host_.Of(kWatcher, 1).size(), 1u);
    ASSERT_EQ(host_.Of(kHuman, 1).size(), 1u);
    EXPECT_TRUE(host_.Of(kThird, 1).empty());
    const auto fields = SplitFields(GetTextFromBytes(host_.Of(kWatcher, 1)[0], 1));
    ASSERT_EQ(fields.size(), 10u);
    EXPECT_EQ(fields[0], "张三");  // the sender cannot pretend to be another
    EXPECT_EQ(fields[9], "你好");
    table_->OnMessage(kHuman, MakeChatLine({"", "所有人", "", "", "", "", "", "", "", "大家好"}));
    EXPECT_EQ(host_.Of(kThird, 1).size(), 1u);
    // No field grows beyond what a chat line needs, whatever was sent.
    table_->OnMessage(kHuman, MakeChatLine({"", "所有人", "", "", "", std::string(100000, '9'), "",
                                            "", std::string(5000, 'x'), std::string(9000, 'y')}));
    const Bytes relayed = host_.Of(kThird, 1).back();
    EXPECT_LT(relayed.size(), 600u);
}

TEST_F(TableTest, TheRoomPlaysATurnNobodyTakesAndConfirmsForgottenSettings) {
    SeatHumanAndBots();
    host_.Run(options_.settingsDeadlineMs + 1);
    // The owner never answered: the settings hold, but no game is played
    // in its name until it says it is ready.
    EXPECT_FALSE(table_->GameRunning());
    const auto state = SplitFields(GetTextFromBytes(host_.Of(kHuman, 111).back(), 2));
    ASSERT_GE(state.size(), 6u);
    EXPECT_EQ(state[5], "0");  // the start button, not the dialog
    table_->OnMessage(kHuman, MakeRaiseHand("张三"));
    host_.Run(0);
    ASSERT_TRUE(table_->GameRunning());
    table_->OnMessage(kHuman, MakeShowingAnswer(0, 0));
    // Whoever plays, the person's turns are played for it in time, so the
    // game ends without anybody waiting forever.
    host_.Run(20 * (options_.game.playSeconds * 1000 + options_.turnGraceMs));
    ASSERT_EQ(host_.finished.size(), 1u);
    EXPECT_EQ(host_.finished[0].escapedSeat, -1);
    EXPECT_TRUE(host_.finished[0].winner != 0);
}

TEST_F(TableTest, APrivateLineToALongNameStaysPrivate) {
    SeatHumanAndBots();
    const std::string longName = "一二三四五六七八九十甲乙";  // 36 bytes
    ASSERT_TRUE(table_->AddSpectator(kWatcher, Person(longName, 30001), "张三", true));
    constexpr PersonId kThird = 3;
    ASSERT_TRUE(table_->AddSpectator(kThird, Person("路人", 30002), "张三", true));
    table_->OnMessage(kHuman, MakeChatLine({"", longName, "", "", "", "0", "0", "", "", "悄悄话"}));
    EXPECT_EQ(host_.Of(kWatcher, 1).size(), 1u);
    EXPECT_TRUE(host_.Of(kThird, 1).empty());
}

TEST_F(TableTest, FourComputerPlayersPlayGameAfterGame) {
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(table_->SeatPlayer(-1 - i, Person("电脑" + std::to_string(i), 20 + i), true, true));
    }
    host_.Run(-1, 200000);
    EXPECT_GT(host_.finished.size(), 10u);
}

// Four people; the deal puts one red ten with seat 1 and the other with
// seat 2. Seat 1 shows its ten; seat 2 is asked to follow and declines.
TEST_F(TableTest, DecliningToFollowIsToldToNobodyElse) {
    for (host_.seed = 0;; ++host_.seed) {
        engine::DealRng rng(host_.seed + 1);
        const auto hands = engine::DealHands(rng);
        const auto holds = [&](int s, std::uint8_t c) { return std::count(hands[s].begin(), hands[s].end(), c) > 0; };
        if ((holds(1, 59) && holds(2, 72)) || (holds(1, 72) && holds(2, 59))) {
            break;
        }
    }
    const std::array<std::string, 4> names{"甲", "乙", "丙", "丁"};
    for (PersonId id = 1; id <= 4; ++id) {
        ASSERT_TRUE(table_->SeatPlayer(id, Person(names[id - 1], 100 + static_cast<int>(id)), false, true));
    }
    ASSERT_TRUE(table_->AddSpectator(kWatcher + 10, Person("看客", 30001), "甲", true));
    table_->OnMessage(1, MakeConfirmSettings("甲", "200`1000`10`50`500`0"));
    for (PersonId id = 2; id <= 4; ++id) {
        table_->OnMessage(id, MakeRaiseHand(names[id - 1]));
    }
    ASSERT_TRUE(table_->GameRunning());
    const Bytes deal1 = host_.Of(2, 19)[0];
    const std::uint8_t ten = std::count(deal1.begin() + 2, deal1.end(), 59) ? 1 : 2;
    table_->OnMessage(1, MakeShowingAnswer(0, 0));
    table_->OnMessage(2, MakeShowingAnswer(1, ten));
    table_->OnMessage(3, MakeShowingAnswer(2, 0));
    table_->OnMessage(4, MakeShowingAnswer(3, 0));
    table_->OnMessage(3, MakeShowingAnswer(2, 0));  // the follow question: no
    const auto answersOf = [&](PersonId to, std::uint8_t seat) {
        const auto got = host_.Of(to, 20);
        return std::count_if(got.begin(), got.end(), [&](const Bytes& m) { return m[1] == 0 && m[2] == seat; });
    };
    EXPECT_EQ(answersOf(3, 2), 2);  // the seat's own table hears its answer
    for (const PersonId other : {PersonId{1}, PersonId{2}, PersonId{4}, kWatcher + 10}) {
        EXPECT_EQ(answersOf(other, 2), 1) << "person " << other;
    }
    // Nor does a snapshot count the quiet answer, but for the seat itself.
    table_->LinkLost(3);
    ASSERT_TRUE(table_->Rejoin(33, "丙", true));
    ASSERT_TRUE(table_->AddSpectator(34, Person("后来", 30002), "甲", true));
    EXPECT_EQ(host_.Of(33, 109).at(0).at(19 + 2), 2);
    EXPECT_EQ(host_.Of(34, 109).at(0).at(19 + 2), 1);
}

TEST(SelfPlay, HundredsOfGamesKeepEveryRule) {
    const SelfPlayResult r = SelfPlay(500, 2026);
    EXPECT_EQ(r.games, 500);
    EXPECT_TRUE(r.failure.empty()) << r.failure;
}

}  // namespace
}  // namespace redten::room
