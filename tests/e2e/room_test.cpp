#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include "server/room_server.h"
#include "engine/shuffle.h"
#include "server/store/store.h"
#include "support/room_server.h"
#include "wire/client_messages.h"
#include "wire/message.h"
#include "support/scripted_table.h"
#include "support/store_view.h"
#include "support/timing.h"

namespace redten::room {
namespace {

using redten::test::WaitUntil;
using test::ScriptedTable;

class RoomTest : public testing::Test {
protected:
    void Open(int bots, std::int64_t maxPendingOutput = 1 << 20,
              const std::function<void(RoomOptions&)>& tweak = {}) {
        QString error;
        ASSERT_TRUE(worker_.Open(dir_.filePath("room.db"), error, busyWaitMs_)) << error.toStdString();
        RoomOptions options;
        options.botsPerTable = bots;
        options.logLevel = qEnvironmentVariableIsSet("ROOM_LOG") ? LogLevel::Debug : LogLevel::Error;
        options.seed = 77;
        options.maxPendingOutput = maxPendingOutput;
        options.table.botPauseMs = 0;
        options.table.botQuietMs = 0;
        options.table.dropGraceMs = 60000;
        if (tweak) {
            tweak(options);
        }
        room_ = std::make_unique<RoomServer>(options, worker_);
        ASSERT_TRUE(room_->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }

    std::unique_ptr<ScriptedTable> Join(const std::string& name, bool allowWatch = true) {
        auto t = std::make_unique<ScriptedTable>(name, room_->Port());
        EXPECT_TRUE(t->Reserve()) << t->lastReply;
        EXPECT_TRUE(t->Connect(allowWatch));
        return t;
    }

    int busyWaitMs_ = Store::kBusyWaitMs;
    QTemporaryDir dir_;
    StoreWorker worker_;
    test::StoreView store_{worker_};
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
    EXPECT_EQ(store_.LoadOrCreate("玩家0", false)->games, 2);
}

// A table that goes quiet without closing its link loses the seat the way
// any dropped player does; one that sends empty frames keeps it.
TEST_F(RoomTest, ASilentTableIsDroppedAndABeatingOneIsNot) {
    Open(/*bots=*/3, 1 << 20, [](RoomOptions& o) { o.idleDropMs = 1500; });
    auto silent = std::make_unique<ScriptedTable>("沉默", room_->Port());
    auto beating = std::make_unique<ScriptedTable>("心跳", room_->Port());
    for (ScriptedTable* t : {silent.get(), beating.get()}) {
        t->holdPlays = true;
        ASSERT_TRUE(t->Reserve());
        ASSERT_TRUE(t->Connect());
    }
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { beating->SendRaw(QByteArray(4, '\0')); });
    beat.start(300);
    ASSERT_TRUE(WaitUntil([&] { return silent->disconnected; }, 5000));
    EXPECT_FALSE(beating->disconnected);
    auto back = Join("沉默");
    ASSERT_TRUE(WaitUntil([&] { return !back->Of(109).empty(); }));  // the seat waited for it
    EXPECT_FALSE(beating->disconnected);
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
    auto player = std::make_unique<ScriptedTable>("张三", room_->Port());
    // The player takes part in everything but its own plays: the table
    // stalls at its turn, and it drops there.
    player->holdPlays = true;
    ASSERT_TRUE(player->Reserve());
    ASSERT_TRUE(player->Connect(/*allowWatch=*/false));
    auto watcher = std::make_unique<ScriptedTable>("看客", room_->Port());
    ASSERT_TRUE(watcher->Reserve("张三")) << watcher->lastReply;
    ASSERT_TRUE(watcher->Connect());
    // Seated once its record has been read: the room's first words.
    ASSERT_TRUE(WaitUntil([&] { return !watcher->received.empty(); }, 10000));
    ASSERT_TRUE(WaitUntil([&] { return !player->Of(19).empty(); }, 10000));
    const CardList dealt = player->hand;
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
    ASSERT_EQ(stranger.Of(22).size(), 1u);  // told why, before the link ended
    EXPECT_EQ(GetTextFromBytes(stranger.Of(22)[0], 1), "没有找到你的座位预订，请从大厅重新进入。");

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

TEST_F(RoomTest, WatchersReservationsAndComputerPlayersAreBounded) {
    Open(/*bots=*/3, 1 << 20, [](RoomOptions& o) {
        o.maxWatchersPerTable = 2;
        o.maxReservations = 4;
    });
    for (int round = 0; round < 3; ++round) {  // tables come and go
        auto player = Join("过客" + std::to_string(round));
        ASSERT_TRUE(WaitUntil([&] { return !player->Of(111).empty(); }));
        player->Send(MakeLeaveTable("过客" + std::to_string(round)));
        ASSERT_TRUE(WaitUntil([&] { return room_->TableCount() == 0; }));
    }
    auto player = Join("张三");
    ASSERT_TRUE(WaitUntil([&] { return !player->Of(111).empty(); }));
    std::vector<std::string> replies;
    for (const char* watcher : {"看客1", "看客2", "看客3"}) {
        ScriptedTable lobby(watcher, room_->Port());
        lobby.Reserve("张三");
        replies.push_back(lobby.lastReply);
    }
    EXPECT_EQ(replies, (std::vector<std::string>{"OK", "OK", "ERR 这张桌旁观的人已经满了（最多 2 位）。"}));
    for (const char* name : {"李四", "王五", "赵六"}) {
        ScriptedTable lobby(name, room_->Port());
        lobby.Reserve();
        replies.push_back(lobby.lastReply);
    }
    EXPECT_EQ(replies.back(), "ERR 预订太多了，请稍后再试。");
    // The page counts the person at the table, not the reservations.
    QTcpSocket web;
    web.connectToHost(QHostAddress::LocalHost, room_->Port());
    web.write("GET /adv/KOVA/ga.htm HTTP/1.0\r\n\r\n");
    QByteArray page;
    WaitUntil([&] { return (page += web.readAll()).contains("</html>"); });
    EXPECT_TRUE(page.contains("现在有 1 位玩家")) << page.toStdString();
    // Four tables were opened, one at a time: three computer players in all.
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bounded"));
        db.setDatabaseName(dir_.filePath("room.db"));
        ASSERT_TRUE(db.open());
        QSqlQuery rows(db);
        ASSERT_TRUE(rows.exec("SELECT COUNT(*), COUNT(DISTINCT user_id) FROM people WHERE computer = 1"));
        ASSERT_TRUE(rows.next());
        EXPECT_EQ(rows.value(0).toInt(), 3);
        EXPECT_EQ(rows.value(1).toInt(), 3);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bounded"));
}

TEST_F(RoomTest, PeopleWhoLeaveAreLetGoAndForgotten) {
    Open(/*bots=*/0);
    auto player = Join("张三");
    auto watcher = std::make_unique<ScriptedTable>("看客", room_->Port());
    ASSERT_TRUE(watcher->Reserve("张三")) << watcher->lastReply;
    ASSERT_TRUE(watcher->Connect());
    ASSERT_TRUE(WaitUntil([&] { return !watcher->Of(109).empty(); }, 10000));  // the last of the welcome
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
    me->holdPlays = true;  // the game waits for us at our turn
    me->Send(MakeConfirmSettings("张三", "100`1000`10`50`500`0"));
    ASSERT_TRUE(WaitUntil([&] { return !me->Of(19).empty(); }, 10000));
    const std::size_t before = me->Of(22).size();
    CardList notHeld = engine::OneDeck();
    std::erase_if(notHeld, [&](std::uint8_t c) { return std::count(me->hand.begin(), me->hand.end(), c); });
    me->Send(MakePlay(0, CardList{notHeld[0]}));
    ASSERT_TRUE(WaitUntil([&] { return me->Of(22).size() > before; }, 10000));
    me->Resume();
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

// The room's end of a link, found among this process's descriptors.
int RoomEndOf(quint16 roomPort, quint16 peerPort) {
    for (int fd = 3; fd < 4096; ++fd) {
        sockaddr_in local{}, peer{};
        socklen_t localSize = sizeof local, peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 &&
            local.sin_family == AF_INET && ntohs(local.sin_port) == roomPort &&
            ntohs(peer.sin_port) == peerPort) {
            return fd;
        }
    }
    return -1;
}

TEST_F(RoomTest, EveryLinkSendsSmallMessagesAtOnceAndIsProbedForLife) {
    Open(/*bots=*/3);
    QTcpSocket peer;
    peer.connectToHost(QHostAddress::LocalHost, room_->Port());
    int fd = -1;
    ASSERT_TRUE(WaitUntil([&] { return (fd = RoomEndOf(room_->Port(), peer.localPort())) >= 0; }));
    int noDelay = 0, keepAlive = 0;
    socklen_t size = sizeof noDelay;
    ASSERT_EQ(getsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, &size), 0);
    size = sizeof keepAlive;
    ASSERT_EQ(getsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &size), 0);
    EXPECT_NE(noDelay, 0);
    EXPECT_NE(keepAlive, 0);
}

// Another process holds the file's write lock for seconds while games end,
// and every statement waits long for it: the tables play on with plays
// echoed at once, the games wait in order, and all are stored, with every
// record whole, once the lock goes.
// The records out of reach: whoever sat earlier in this run sits again on
// the secret proved then, a stranger is asked to come back, the computer
// players still come to the table, and once the file is free every game is
// written and counted once.
TEST_F(RoomTest, ALockedFileSeatsWhoSatBeforeAndAsksStrangersToWait) {
    // At a person's pace, so the half minute does not load the machine for
    // the tests that run beside it.
    Open(/*bots=*/3, 1 << 20, [](RoomOptions& o) { o.table.botPauseMs = 100; });
    const auto sit = [&](const std::string& name, const std::string& secret) {
        auto t = std::make_unique<ScriptedTable>(name, room_->Port());
        t->secret = secret;
        return t;
    };
    auto first = sit("老王", "芝麻开门");
    ASSERT_TRUE(first->Reserve()) << first->lastReply;
    ASSERT_TRUE(first->Connect());
    ASSERT_TRUE(WaitUntil([&] { return first->gamesOver >= 1; }, 30000));
    first.reset();
    ASSERT_TRUE(WaitUntil([&] { return store_.CountGames() == 1; }, 10000));
    // Three more tables that play on throughout.
    std::vector<std::unique_ptr<ScriptedTable>> steady;
    for (int i = 0; i < 3; ++i) {
        steady.push_back(sit("稳" + std::to_string(i), ""));
        steady.back()->gamesWanted = 1000000;
        steady.back()->playPauseMs = 100;
        ASSERT_TRUE(steady.back()->Reserve()) << steady.back()->lastReply;
        ASSERT_TRUE(steady.back()->Connect());
    }
    ASSERT_TRUE(WaitUntil(
        [&] { return std::all_of(steady.begin(), steady.end(), [](const auto& t) { return t->gamesOver >= 1; }); },
        30000));

    QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    locker.setDatabaseName(dir_.filePath("room.db"));
    ASSERT_TRUE(locker.open());
    ASSERT_TRUE(QSqlQuery(locker).exec("BEGIN EXCLUSIVE"));
    QElapsedTimer locked;
    locked.start();
    std::vector<int> atLock;
    for (const auto& t : steady) {
        atLock.push_back(t->gamesOver);
    }
    auto stranger = sit("路人", "");
    EXPECT_FALSE(stranger->Reserve());
    EXPECT_EQ(stranger->lastReply, "ERR 记录暂时不可用，请稍后再试。");
    auto impostor = sit("老王", "猜一个");
    EXPECT_FALSE(impostor->Reserve());
    EXPECT_EQ(impostor->lastReply, "ERR 密码不对。");
    auto back = sit("老王", "芝麻开门");
    back->gamesWanted = 2;
    ASSERT_TRUE(back->Reserve()) << back->lastReply;
    ASSERT_TRUE(back->Connect());
    ASSERT_TRUE(WaitUntil([&] { return back->gamesOver >= 2; }, 30000)) << "no game while the file was locked";
    EXPECT_TRUE(back->problems.empty()) << back->problems.front();
    // The room says so, without asking the locked file.
    const QByteArray health = redten::test::FetchPage(room_->Port(), "/health");
    EXPECT_TRUE(health.startsWith("HTTP/1.0 200")) << health.toStdString();  // not a minute yet
    EXPECT_TRUE(health.contains("\"available\":false")) << health.toStdString();
    EXPECT_TRUE(QString::fromUtf8(redten::test::FetchPage(room_->Port(), "/")).contains(QStringLiteral("战绩库从")));
    // Half a minute, as a backup or a forgotten shell would hold it.
    WaitUntil([] { return false; }, static_cast<int>(std::max<qint64>(30000 - locked.elapsed(), 0)));
    for (std::size_t i = 0; i < steady.size(); ++i) {
        EXPECT_GT(steady[i]->gamesOver, atLock[i]) << "a table stopped while the file was locked";
    }
    ASSERT_TRUE(QSqlQuery(locker).exec("COMMIT"));
    locker.close();
    locker = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));

    for (auto& t : steady) {
        t->gamesWanted = t->gamesOver + 1;  // the game in hand is the last
    }
    int played = 3;  // 老王's
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(steady.begin(), steady.end(), [](const auto& t) { return t->gamesOver >= t->gamesWanted; }) &&
                   store_.Backlog() == 0;
        },
        60000));
    for (const auto& t : steady) {
        played += t->gamesOver;
    }
    ASSERT_TRUE(WaitUntil([&] { return store_.CountGames() == played; }, 30000)) << store_.CountGames() << " of " << played;
    ASSERT_TRUE(WaitUntil([&] { return redten::test::FetchPage(room_->Port(), "/health").contains("\"available\":true"); }));
    EXPECT_EQ(store_.LoadOrCreate("老王", false)->games, 3);
    for (std::size_t i = 0; i < steady.size(); ++i) {
        EXPECT_EQ(store_.LoadOrCreate("稳" + std::to_string(i), false)->games, steady[i]->gamesOver);
    }
    EXPECT_TRUE(stranger->Reserve()) << stranger->lastReply;
    // Every computer player that played has its row, with each game once.
    {
        QSqlDatabase reader = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("reader"));
        reader.setDatabaseName(dir_.filePath("room.db"));
        ASSERT_TRUE(reader.open());
        QSqlQuery q(reader);
        ASSERT_TRUE(q.exec("SELECT SUM(games) FROM people WHERE computer = 1") && q.next());
        EXPECT_EQ(q.value(0).toInt(), 3 * played);
        ASSERT_TRUE(q.exec("PRAGMA integrity_check") && q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("reader"));
}

TEST_F(RoomTest, ALobbyMayAskForATableAndSeatAndIsToldWhyNot) {
    Open(/*bots=*/0);
    auto first = Join("甲");
    ASSERT_TRUE(WaitUntil([&] { return first->seat == 0; }));
    auto chosen = std::make_unique<ScriptedTable>("乙", room_->Port());
    ASSERT_TRUE(chosen->ReserveWith("SITAT 乙 1 3")) << chosen->lastReply;
    ScriptedTable late("丙", room_->Port());
    EXPECT_FALSE(late.ReserveWith("SITAT 丙 1 3"));  // reserved already
    EXPECT_EQ(late.lastReply, "ERR 这个座位已经有人了，请换一个。");
    ASSERT_TRUE(chosen->Connect());
    ASSERT_TRUE(WaitUntil([&] { return chosen->seat == 2; }));
    EXPECT_FALSE(late.ReserveWith("SITAT 丙 1 1"));  // taken
    EXPECT_EQ(late.lastReply, "ERR 这个座位已经有人了，请换一个。");
    EXPECT_FALSE(late.ReserveWith("SITAT 丙 7 1"));
    EXPECT_EQ(late.lastReply, "ERR 没有这张桌子。");
    EXPECT_FALSE(late.ReserveWith("SITAT 丙 1 5"));
    EXPECT_EQ(late.lastReply, "ERR 桌号或座位号不对：座位号是 1 到 4。");
    ASSERT_TRUE(late.ReserveWith("SITAT 丙 1 2")) << late.lastReply;
    ASSERT_TRUE(late.Connect());
    ASSERT_TRUE(WaitUntil([&] { return late.seat == 1; }));
    auto other = Join("丁");  // the last free chair
    ASSERT_TRUE(WaitUntil([&] { return other->seat == 3; }));
}

// A table of one's own: the computer players asked for, of the level asked
// for, whatever the room's own default; a request out of range is told why.
TEST_F(RoomTest, ANewTableHasTheComputerPlayersAskedForAndNoMore) {
    Open(/*bots=*/3);
    ScriptedTable owner("东家", room_->Port());
    EXPECT_FALSE(owner.ReserveWith("SITNEW 东家 4 strong"));
    EXPECT_EQ(owner.lastReply, "ERR 电脑玩家是 0 到 3 个，水平是 basic（新手）、strong（高手）或 expert（大师）。");
    EXPECT_FALSE(owner.ReserveWith("SITNEW 东家 2 master"));
    ASSERT_TRUE(owner.ReserveWith("SITNEW 东家 2 basic")) << owner.lastReply;
    ASSERT_TRUE(owner.Connect());
    ASSERT_TRUE(WaitUntil([&] { return owner.seat == 0; }));
    const auto json = [&] { return redten::test::FetchPage(room_->Port(), "/tables.json"); };
    ASSERT_TRUE(WaitUntil([&] { return json().count("\"level\":\"basic\"") == 2; })) << json().toStdString();
    EXPECT_TRUE(json().contains("电脑新手甲1"));
    // The free chair goes to a person, as at any table waiting for one.
    auto guest = Join("西客");
    ASSERT_TRUE(WaitUntil([&] { return guest->seat == 3; }));
}

TEST_F(RoomTest, ALockedFileHoldsUpNoTableAndLosesNoGame) {
    busyWaitMs_ = 150;
    // Computer players that think a little: a room that never stops dealing
    // must not be timed while it spins the processor flat out.
    Open(/*bots=*/3, 1 << 20, [](RoomOptions& options) { options.table.botPauseMs = 5; });
    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (int i = 0; i < 3; ++i) {
        players.push_back(Join("常客" + std::to_string(i)));
        players.back()->gamesWanted = 1 << 30;  // until told otherwise
    }
    const auto games = [&] {
        int n = 0;
        for (const auto& p : players) {
            n += p->gamesOver;
        }
        return n;
    };
    ASSERT_TRUE(WaitUntil(
        [&] { return std::all_of(players.begin(), players.end(), [](const auto& p) { return p->gamesOver > 0; }); },
        20000));
    QSqlDatabase locker = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("locker"));
    locker.setDatabaseName(dir_.filePath("room.db"));
    ASSERT_TRUE(locker.open());
    ASSERT_TRUE(QSqlQuery(locker).exec("BEGIN EXCLUSIVE"));
    const int before = games();
    for (auto& p : players) {
        p->echoMs.clear();
    }
    QElapsedTimer held;
    held.start();
    qint64 slowestLobby = 0;
    while (held.elapsed() < 3000) {
        QElapsedTimer lobby;
        lobby.start();
        ScriptedTable ask("问路" + std::to_string(held.elapsed() / 500), room_->Port());
        ask.Reserve();
        slowestLobby = std::max(slowestLobby, lobby.elapsed());
        WaitUntil([] { return false; }, 200);
    }
    EXPECT_GE(games() - before, 3) << "the tables stopped while the file was locked";
    EXPECT_LT(slowestLobby, 500 * redten::test::kTimeScale);
    std::vector<double> echoes;
    for (const auto& p : players) {
        echoes.insert(echoes.end(), p->echoMs.begin(), p->echoMs.end());
    }
    ASSERT_FALSE(echoes.empty());
    EXPECT_LT(*std::max_element(echoes.begin(), echoes.end()), 50 * redten::test::kTimeScale)
        << "of " << echoes.size() << " plays";
    ASSERT_TRUE(QSqlQuery(locker).exec("COMMIT"));
    locker.close();
    locker = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("locker"));

    for (auto& p : players) {
        p->gamesWanted = p->gamesOver + 1;
    }
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(players.begin(), players.end(),
                               [](const auto& p) { return p->gamesOver >= p->gamesWanted; }) &&
                   store_.Backlog() == 0;
        },
        30000))
        << "waiting: " << store_.Backlog() << ", games " << players[0]->gamesOver << "/" << players[0]->gamesWanted
        << " " << players[1]->gamesOver << "/" << players[1]->gamesWanted << " " << players[2]->gamesOver << "/"
        << players[2]->gamesWanted;
    EXPECT_EQ(store_.CountGames(), games());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(store_.LoadOrCreate("常客" + std::to_string(i), false)->games, players[i]->gamesOver);
    }
}

TEST(RoomStore, AFailedReadIsNoRecordAndAFailedWriteWaitsInOrder) {
    QTemporaryDir dir;
    Store store;
    QString error;
    ASSERT_TRUE(store.Open(dir.filePath("room.db"), error)) << error.toStdString();
    FinishedGame game;
    game.players = {"甲", "乙", "丙", "丁"};
    for (int s = 0; s < 4; ++s) {
        game.records[s] = *store.LoadOrCreate(game.players[s], false);
    }
    // Each game adds 30 to 甲's points.
    game.changes[0].points = 30;
    const auto save = [&](std::int32_t points) {
        game.records[0].points = points;
        return store.SaveGame(game);
    };
    ASSERT_GT(save(30), 0);
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        other.setDatabaseName(dir.filePath("room.db"));
        ASSERT_TRUE(other.open());
        QSqlQuery q(other);
        ASSERT_TRUE(q.exec("ALTER TABLE people RENAME TO away"));
        EXPECT_FALSE(store.LoadOrCreate("甲", false).has_value());
        EXPECT_FALSE(store.LoadOrCreate("新人", false).has_value());
        ASSERT_TRUE(q.exec("ALTER TABLE away RENAME TO people"));

        ASSERT_TRUE(q.exec("BEGIN EXCLUSIVE"));
        EXPECT_EQ(save(60), 0);
        EXPECT_EQ(save(90), 0);
        EXPECT_EQ(store.Backlog(), 2u);
        EXPECT_EQ(store.LoadOrCreate("甲", false)->points, 90);  // the newest, though unwritten
        EXPECT_FALSE(store.RetryBacklog());
        // Past the memory's share the games go to the journal, in order;
        // the newest records stay at hand, and a retry that fails keeps all.
        store.SetSpillAt(3);
        EXPECT_EQ(save(120), 0);
        EXPECT_EQ(save(150), 0);
        EXPECT_EQ(store.Backlog(), 4u);
        EXPECT_EQ(store.BacklogInMemory(), 1u);
        EXPECT_TRUE(QFileInfo::exists(store.JournalPath()));
        EXPECT_EQ(store.LoadOrCreate("甲", false)->points, 150);
        EXPECT_FALSE(store.RetryBacklog());
        EXPECT_EQ(store.Backlog(), 4u);
        ASSERT_TRUE(q.exec("COMMIT"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    EXPECT_TRUE(store.RetryBacklog());
    EXPECT_EQ(store.Backlog(), 0u);
    EXPECT_FALSE(QFileInfo::exists(store.JournalPath()));
    EXPECT_EQ(store.CountGames(), 5);
    EXPECT_EQ(store.LoadOrCreate("甲", false)->points, 150);
    EXPECT_EQ(store.LoadOrCreate("甲", false)->userId, game.records[0].userId);
}

TEST(RoomStore, AnOlderFileGainsAbandonedGamesAndComputerPlayersTheirKind) {
    QTemporaryDir dir;
    const QString path = dir.filePath("old.db");
    {
        // The file as rooms wrote it before.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("CREATE TABLE people (name TEXT PRIMARY KEY, user_id INTEGER NOT NULL,"
                           " computer INTEGER NOT NULL, points INTEGER NOT NULL DEFAULT 0,"
                           " games INTEGER NOT NULL DEFAULT 0, wins INTEGER NOT NULL DEFAULT 0,"
                           " losses INTEGER NOT NULL DEFAULT 0, draws INTEGER NOT NULL DEFAULT 0,"
                           " escapes INTEGER NOT NULL DEFAULT 0, portrait INTEGER NOT NULL DEFAULT 0)"));
        ASSERT_TRUE(q.exec("CREATE TABLE games (id INTEGER PRIMARY KEY AUTOINCREMENT, table_no INTEGER,"
                           " finished_at TEXT, players TEXT, deal TEXT, shown TEXT, plays TEXT,"
                           " scores TEXT, places TEXT, winner INTEGER, escaped_seat INTEGER, stake INTEGER)"));
        ASSERT_TRUE(q.exec("INSERT INTO people (name, user_id, computer, points, portrait)"
                           " VALUES ('电脑甲1', 10005, 1, 70, 5), ('张三', 10006, 0, 30, 1006)"));
        ASSERT_TRUE(q.exec("INSERT INTO games (table_no, winner) VALUES (1, 1)"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("old"));

    Store store;
    QString error;
    ASSERT_TRUE(store.Open(path, error)) << error.toStdString();
    EXPECT_EQ(store.CountGames(), 1);
    const PersonRecord computer = *store.LoadOrCreate("电脑甲1", true);
    EXPECT_EQ(computer.points, 70);
    EXPECT_EQ(computer.portrait, 5000 + 10005 % 12);
    EXPECT_EQ(store.LoadOrCreate("电脑乙1", true)->portrait / 1000, 5);
    EXPECT_EQ(store.LoadOrCreate("张三", false)->portrait, 1006);

    FinishedGame game;
    game.players = {"张三", "电脑甲1", "电脑乙1", "电脑丙1"};
    game.abandoned = true;
    for (int s = 0; s < 4; ++s) {
        game.records[s] = *store.LoadOrCreate(game.players[s], s > 0);
    }
    EXPECT_EQ(store.SaveGame(game), 2);
    EXPECT_EQ(store.LoadOrCreate("张三", false)->points, 30);
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
            game.records[s] = *store.LoadOrCreate(game.players[s], false);
            game.records[s].points += game.scores[s];
            game.records[s].games += 1;
            game.changes[s].points = game.scores[s];
            game.changes[s].games = 1;
        }
        EXPECT_EQ(store.SaveGame(game), 1);
    }
    Store again;
    QString error;
    ASSERT_TRUE(again.Open(path, error));
    EXPECT_EQ(again.CountGames(), 1);
    const PersonRecord first = *again.LoadOrCreate("甲", false);
    EXPECT_EQ(first.points, 200);
    EXPECT_EQ(first.games, 1);
    EXPECT_EQ(again.LoadOrCreate("丁", false)->points, -200);
    EXPECT_NE(again.LoadOrCreate("戊", false)->userId, first.userId);
    EXPECT_EQ(PlaysText(game), "0:0;1:254");
}

}  // namespace
}  // namespace redten::room
