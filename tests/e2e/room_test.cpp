#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "room_server.h"
#include "store.h"
#include "support/room_server.h"
#include "net/wire/client_messages.h"
#include "net/wire/message.h"
#include "support/scripted_table.h"

namespace redten::room {
namespace {

using redten::test::WaitUntil;
using test::ScriptedTable;

class RoomTest : public testing::Test {
protected:
    void Open(int bots, std::int64_t maxPendingOutput = 1 << 20) {
        QString error;
        ASSERT_TRUE(store_.Open(dir_.filePath("room.db"), error)) << error.toStdString();
        RoomOptions options;
        options.botsPerTable = bots;
        options.logLevel = LogLevel::Error;
        options.seed = 77;
        options.maxPendingOutput = maxPendingOutput;
        options.table.botPauseMs = 0;
        options.table.botQuietMs = 0;
        options.table.dropGraceMs = 60000;
        room_ = std::make_unique<RoomServer>(options, store_);
        ASSERT_TRUE(room_->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }

    std::unique_ptr<ScriptedTable> Join(const std::string& name, bool allowWatch = true) {
        auto t = std::make_unique<ScriptedTable>(name, room_->Port());
        EXPECT_TRUE(t->Reserve()) << t->lastReply;
        EXPECT_TRUE(t->Connect(allowWatch));
        return t;
    }

    QTemporaryDir dir_;
    Store store_;
    std::unique_ptr<RoomServer> room_;
};

TEST_F(RoomTest, ManyTablesOfFourPlayGamesToTheEndOverRealSockets) {
    Open(/*bots=*/0);
    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (int i = 0; i < 12; ++i) {
        players.push_back(Join("玩家" + std::to_string(i)));
        players.back()->gamesWanted = 2;
    }
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(players.begin(), players.end(),
                               [](const auto& p) { return p->gamesOver >= 2; });
        },
        60000));
    for (const auto& p : players) {
        EXPECT_TRUE(p->problems.empty()) << p->problems.front();
        EXPECT_GE(p->seat, 0);
    }
    EXPECT_EQ(room_->TableCount(), 3u);
    EXPECT_EQ(room_->BrokenGames(), 0);
    EXPECT_EQ(store_.CountGames(), 6);
    EXPECT_EQ(store_.LoadOrCreate("玩家0", false).games, 2);
}

TEST_F(RoomTest, APersonNegotiatesAndPlaysAWholeGameAgainstThreeComputers) {
    Open(/*bots=*/3);
    auto me = Join("张三");
    ASSERT_TRUE(WaitUntil([&] { return me->gamesOver >= 1; }, 30000));
    EXPECT_TRUE(me->problems.empty()) << me->problems.front();
    EXPECT_EQ(me->seat, 0);
    EXPECT_EQ(me->Of(111).size(), 1u);
    EXPECT_TRUE(me->Of(22).empty()) << "a play of ours was refused";
    EXPECT_EQ(store_.CountGames(), 1);
}

TEST_F(RoomTest, ADroppedPlayerReturnsToItsHandWhileASpectatorSeesNoHiddenCard) {
    Open(/*bots=*/3);
    auto player = Join("张三", /*allowWatch=*/false);
    auto watcher = std::make_unique<ScriptedTable>("看客", room_->Port());
    ASSERT_TRUE(watcher->Reserve("张三")) << watcher->lastReply;
    ASSERT_TRUE(watcher->Connect());
    // The player takes part in everything but its own plays: the table
    // stalls at its turn, and it drops there.
    ASSERT_TRUE(WaitUntil([&] { return !player->Of(19).empty(); }, 10000));
    const CardList dealt = player->hand;
    player->autoPlay = false;
    ASSERT_TRUE(WaitUntil([&] { return !player->Of(20).empty(); }, 10000));
    player->Drop();
    ASSERT_TRUE(WaitUntil([&] { return !watcher->Of(108).empty(); }, 10000));
    EXPECT_EQ(watcher->Of(108)[0][1], 3);

    auto back = Join("张三", /*allowWatch=*/false);
    ASSERT_TRUE(WaitUntil([&] { return !back->Of(109).empty(); }, 10000));
    EXPECT_EQ(watcher->Of(108).back()[1], 0);
    EXPECT_FALSE(back->hand.empty());
    for (std::uint8_t c : back->hand) {
        EXPECT_NE(std::find(dealt.begin(), dealt.end(), c), dealt.end());
    }
    ASSERT_TRUE(WaitUntil([&] { return back->gamesOver >= 1; }, 30000));
    EXPECT_TRUE(back->problems.empty()) << back->problems.front();

    // Byte by byte: nothing the spectator got names a card of the hand.
    for (const Bytes& m : watcher->received) {
        std::size_t from = 0, to = 0;
        if (m[0] == 19) {
            from = 2, to = m.size();
        } else if (m[0] == 2 && m.size() >= 3) {
            from = 3, to = m.size();
        } else if (m[0] == 109 && m.size() > 31 && m[2] != 0) {
            std::size_t i = 31;
            for (int s = 0; s < 4; ++s) {
                i += 1 + m[i];
            }
            from = i + 1, to = m.size();
        }
        for (std::size_t i = from; i < to; ++i) {
            ASSERT_EQ(m[i], 255) << "message " << int(m[0]);
        }
    }
    EXPECT_FALSE(watcher->Of(19).empty() && watcher->Of(109).empty());
}

TEST_F(RoomTest, BadPeersAreDroppedOrRefusedAndTheTableGoesOn) {
    Open(/*bots=*/3);
    auto good = Join("张三");

    ScriptedTable stranger("路人", room_->Port());
    ASSERT_TRUE(stranger.Connect());  // greets, but holds no reservation
    ASSERT_TRUE(WaitUntil([&] { return stranger.disconnected; }));

    ScriptedTable garbage("乱码", room_->Port());
    ASSERT_TRUE(garbage.Reserve());
    ASSERT_TRUE(garbage.Connect(true, /*greet=*/false));
    garbage.Send({21, 0, 0, 0, 0, 0, 1, 5});  // a play before any greeting
    ASSERT_TRUE(WaitUntil([&] { return garbage.disconnected; }));

    ScriptedTable noise("噪声", room_->Port());
    ASSERT_TRUE(noise.Connect(true, /*greet=*/false));
    noise.SendRaw(QByteArray::fromHex("00000003ffffff") + QByteArray(64, '\xff'));
    ASSERT_TRUE(WaitUntil([&] { return noise.disconnected; }));

    ScriptedTable oversize("超长", room_->Port());
    ASSERT_TRUE(oversize.Reserve());
    ASSERT_TRUE(oversize.Connect());
    oversize.SendRaw(QByteArray::fromHex("00200000") + QByteArray(100, 'x'));
    ASSERT_TRUE(WaitUntil([&] { return oversize.disconnected; }));

    ScriptedTable lobby("坏`名字", room_->Port());
    EXPECT_FALSE(lobby.Reserve());
    EXPECT_EQ(lobby.lastReply.rfind("ERR", 0), 0u);
    ScriptedTable twice("张三", room_->Port());
    EXPECT_FALSE(twice.Reserve());

    ASSERT_TRUE(WaitUntil([&] { return good->gamesOver >= 1; }, 30000));
    EXPECT_TRUE(good->problems.empty());
}

TEST_F(RoomTest, LobbyLinesAreAnsweredAndForgottenAndReservationsAreBounded) {
    Open(/*bots=*/3);
    int refused = 0;
    for (int i = 0; i < 20; ++i) {
        ScriptedTable lobby("客人" + std::to_string(i), room_->Port());
        if (!lobby.Reserve()) {
            ++refused;
            EXPECT_EQ(lobby.lastReply, "ERR 预订太多了，请稍后再试。");
        }
    }
    EXPECT_EQ(refused, 4);
    ScriptedTable computer("电脑甲1", room_->Port());
    EXPECT_FALSE(computer.Reserve());
    // Every lobby connection is closed and forgotten.
    EXPECT_TRUE(WaitUntil([&] { return room_->LinkCount() == 0; }, 10000));

    // A table link that sends a frame no table sends is dropped unread.
    ScriptedTable big("大块头", room_->Port());
    ASSERT_TRUE(big.Connect(true, /*greet=*/false));
    big.Send(Bytes(100 * 1024, 0xB0));
    EXPECT_TRUE(WaitUntil([&] { return big.disconnected; }));
}

TEST_F(RoomTest, PeopleWhoLeaveAreLetGoAndForgotten) {
    Open(/*bots=*/0);
    auto player = Join("张三");
    auto watcher = std::make_unique<ScriptedTable>("看客", room_->Port());
    ASSERT_TRUE(watcher->Reserve("张三")) << watcher->lastReply;
    ASSERT_TRUE(watcher->Connect());
    ASSERT_TRUE(WaitUntil([&] { return watcher->received.size() >= 5; }, 10000));
    WaitUntil([] { return false; }, 300);  // nothing left for the room to send
    watcher->Send(MakeLeaveTable("看客"));
    ASSERT_TRUE(WaitUntil([&] { return watcher->disconnected; }, 10000));
    player->Send(MakeLeaveTable("张三"));
    ASSERT_TRUE(WaitUntil([&] { return player->disconnected; }, 10000));
    EXPECT_TRUE(WaitUntil([&] { return room_->LinkCount() == 0 && room_->TableCount() == 0; }, 10000));
}

TEST_F(RoomTest, PlaysOutOfTurnAndCardsNotHeldAreRefusedOverTheWire) {
    Open(/*bots=*/3);
    auto me = Join("张三");
    me->autoPlay = false;
    ASSERT_TRUE(WaitUntil([&] { return !me->Of(111).empty(); }, 10000));
    me->Send({112, 0});  // no text: ignored
    ASSERT_TRUE(WaitUntil([&] { return me->seat == 0; }));
    me->autoPlay = true;
    me->Send(MakeConfirmSettings("张三", "100`1000`10`50`500`0"));
    ASSERT_TRUE(WaitUntil([&] { return !me->Of(19).empty(); }, 10000));
    const std::size_t before = me->Of(22).size();
    me->Send(MakePlay(0, CardList{51, 50}));  // showing phase: no plays
    ASSERT_TRUE(WaitUntil([&] { return me->Of(22).size() > before; }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return me->gamesOver >= 1; }, 30000));
}

TEST_F(RoomTest, APeerThatNeverReadsIsDroppedOnceItsBacklogIsFull) {
    Open(/*bots=*/2, /*maxPendingOutput=*/64 * 1024);
    auto talker = Join("甲");
    auto sleeper = std::make_unique<ScriptedTable>("乙", room_->Port());
    sleeper->SetReceiveBuffer(4096);
    ASSERT_TRUE(sleeper->Reserve());
    ASSERT_TRUE(sleeper->Connect());
    sleeper->StopReading();
    ASSERT_TRUE(WaitUntil([&] { return talker->Of(130).size() >= 4; }, 10000));
    const std::string text(300, 'x');
    const auto sleeperLeft = [&] {
        for (const Bytes& m : talker->Of(110)) {
            if (GetTextFromBytes(m, 2) == "乙") {
                return true;
            }
        }
        return false;
    };
    for (int i = 0; i < 40000 && !sleeperLeft(); ++i) {
        talker->Send(MakeChatLine({"", "所有人", "", "", "", "", "", "", "", text}));
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(WaitUntil(sleeperLeft, 20000));
    EXPECT_FALSE(talker->disconnected);
}

TEST(RoomStore, ARestartedRoomKeepsItsPeopleAndGames) {
    QTemporaryDir dir;
    const QString path = dir.filePath("records.db");
    FinishedGame game;
    game.tableNo = 3;
    game.players = {"甲", "乙", "丙", "丁"};
    game.scores = {200, 200, -200, -200};
    game.plays = {{0, {0}}, {1, {254}}};
    {
        Store store;
        QString error;
        ASSERT_TRUE(store.Open(path, error)) << error.toStdString();
        for (int s = 0; s < 4; ++s) {
            game.records[s] = store.LoadOrCreate(game.players[s], false);
            game.records[s].points += game.scores[s];
            game.records[s].games += 1;
        }
        EXPECT_EQ(store.SaveGame(game), 1);
    }
    Store again;
    QString error;
    ASSERT_TRUE(again.Open(path, error));
    EXPECT_EQ(again.CountGames(), 1);
    const PersonRecord first = again.LoadOrCreate("甲", false);
    EXPECT_EQ(first.points, 200);
    EXPECT_EQ(first.games, 1);
    EXPECT_EQ(again.LoadOrCreate("丁", false).points, -200);
    EXPECT_NE(again.LoadOrCreate("戊", false).userId, first.userId);
    EXPECT_EQ(PlaysText(game), "0:0;1:254");
}

}  // namespace
}  // namespace redten::room
