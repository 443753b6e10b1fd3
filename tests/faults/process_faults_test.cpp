// Real processes killed in the middle of a game: the room under a table,
// and a table under the room.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpSocket>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <algorithm>
#include <csignal>
#include <memory>

#include "faults/fault_support.h"
#include "support/room_server.h"
#include "support/scripted_table.h"
#include "wire/message.h"

namespace redten::faults {
namespace {

using room::test::ScriptedTable;
using test::FetchPage;
using test::WaitUntil;

// The index of the first message from `from` on that matches, or -1.
std::ptrdiff_t FirstFrom(const ScriptedTable& t, std::size_t from,
                         const std::function<bool(const Bytes&)>& match) {
    for (std::size_t i = from; i < t.received.size(); ++i) {
        if (match(t.received[i])) {
            return static_cast<std::ptrdiff_t>(i);
        }
    }
    return -1;
}

bool IsUserState(const Bytes& m, std::uint8_t state) { return m.size() > 2 && m[0] == 108 && m[1] == state; }

// A game runs with "张三" at a seat, watched; 张三's scripted stand-in drops
// and the real table claims the seat back through the lobby line. Returns
// once the real table has made a play of its own in that game.
struct RealTableInAGame {
    explicit RealTableInAGame(quint16 roomPort) : port(roomPort) {}

    quint16 port;
    std::unique_ptr<ScriptedTable> standIn, watcher;
    std::unique_ptr<TableProcess> table;
    int seat = -1;

    void Start(const QByteArray& userSet = {}) {
        standIn = std::make_unique<ScriptedTable>("张三", port);
        standIn->holdPlays = true;  // the game waits at the seat's first turn
        ASSERT_TRUE(standIn->Reserve()) << standIn->lastReply;
        ASSERT_TRUE(standIn->Connect());
        ASSERT_TRUE(WaitUntil([&] { return !standIn->Of(19).empty(); }, 15000));
        standIn->autoPlay = false;  // from here on the seat is left to the real table
        seat = standIn->seat;
        ASSERT_GE(seat, 0);

        watcher = std::make_unique<ScriptedTable>("看客", port);
        ASSERT_TRUE(watcher->Reserve("张三")) << watcher->lastReply;
        ASSERT_TRUE(watcher->Connect());
        ASSERT_TRUE(WaitUntil([&] { return !watcher->Of(109).empty(); }, 10000));

        standIn->Drop();
        ASSERT_TRUE(WaitUntil([&] { return !watcher->Of(108).empty(); }, 10000));
        const std::size_t dropped = watcher->received.size();
        ASSERT_EQ(LobbyLine(port, "SIT 张三"), "OK");
        table = std::make_unique<TableProcess>(port, "张三", userSet);

        const auto back = [&] {
            return FirstFrom(*watcher, dropped, [](const Bytes& m) { return IsUserState(m, 0); });
        };
        ASSERT_TRUE(WaitUntil([&] { return back() >= 0; }, 30000)) << table->Stderr().toStdString();
        // The real table's clock runs out and it plays for itself.
        const auto ownPlay = [&] {
            return FirstFrom(*watcher, static_cast<std::size_t>(back()), [&](const Bytes& m) {
                return m.size() >= 8 && m[0] == 21 && m[5] == seat;
            });
        };
        ASSERT_TRUE(WaitUntil([&] { return ownPlay() >= 0; }, 30000));
    }
};

TEST(RoomKilled, TheTableInTheMiddleOfAGameEndsByItselfAndKeepsItsSettings) {
    RoomProcess room({"--bots", "3", "--bot-pause-ms", "0", "--bot-quiet-ms", "0", "--show-secs",
                      "1", "--play-secs", "1", "--auto-limit", "255", "--seed", "5"});
    ASSERT_NE(room.Port(), 0);
    RealTableInAGame game(room.Port());
    // Personal settings unlike the defaults, as a player's own file holds them.
    const QByteArray settings(" 1 \r\n 0 \r\n 1 \r\n 1 \r\n 0 \r\n");
    ASSERT_NO_FATAL_FAILURE(game.Start(settings));

    room.Kill();
    ASSERT_TRUE(game.table->Finished(20000));
    EXPECT_FALSE(game.table->Crashed());
    EXPECT_EQ(game.table->ExitCode(), 0) << game.table->Stderr().toStdString();
    QFile after(game.table->UserSetPath());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), settings);
    EXPECT_FALSE(QFile::exists(game.table->UserSetPath() + ".new"));
}

// Four people at one table, no computer players; 张三 is the real table.
TEST(TableKilled, TheRoomCountsTheEscapeAndTheOthersPlayOn) {
    room::RoomOptions options = LocalRoom::QuickOptions(/*bots=*/0);
    options.table.dropGraceMs = 6000;
    options.table.game.showSeconds = 1;
    // Long enough that the moves the room makes for the dropped seat cannot
    // finish the game inside the grace time.
    options.table.game.playSeconds = 3;
    options.table.game.autoLimit = 255;
    LocalRoom room(options);

    std::vector<std::unique_ptr<ScriptedTable>> others;
    for (const char* name : {"甲", "乙", "丙"}) {
        others.push_back(std::make_unique<ScriptedTable>(name, room.Port()));
        others.back()->gamesWanted = 2;
        ASSERT_TRUE(others.back()->Reserve());
        ASSERT_TRUE(others.back()->Connect());
    }
    RealTableInAGame game(room.Port());
    ASSERT_NO_FATAL_FAILURE(game.Start());
    ASSERT_EQ(room.Records().CountGames(), 0);

    game.table->Kill();
    ScriptedTable& first = *others.front();
    ASSERT_TRUE(WaitUntil([&] { return first.gamesOver >= 1; }, 20000));
    // The game ends on the runaway: a notice naming the seat, and the
    // penalty from that seat shared by the other three.
    const auto left = first.Of(5);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0][2], game.seat);
    const Bytes over = first.Of(23).front();
    EXPECT_EQ(ScoreOf(over, game.seat), -50);
    for (int s = 0; s < 4; ++s) {
        if (s != game.seat) {
            EXPECT_GE(ScoreOf(over, s), 16);
        }
    }
    ASSERT_TRUE(WaitUntil([&] { return room.Records().CountGames() == 1; }));
    const room::PersonRecord runaway = *room.Records().LoadOrCreate("张三", false);
    EXPECT_EQ(runaway.escapes, 1);
    EXPECT_EQ(runaway.points, -50);

    // The seat is free again; somebody new takes it and the next game
    // plays to its end.
    ScriptedTable newcomer("丁", room.Port());
    ASSERT_TRUE(newcomer.Reserve()) << newcomer.lastReply;
    ASSERT_TRUE(newcomer.Connect());
    ASSERT_TRUE(WaitUntil([&] { return newcomer.gamesOver >= 1; }, 20000));
    for (const auto& t : others) {
        EXPECT_TRUE(WaitUntil([&] { return t->gamesOver >= 2; }));
        EXPECT_TRUE(t->problems.empty()) << t->problems.front();
    }
    EXPECT_TRUE(newcomer.problems.empty());
    EXPECT_EQ(newcomer.seat, game.seat);
    EXPECT_EQ(room.Records().CountGames(), 2);
    EXPECT_EQ(room.Server().BrokenGames(), 0);
}

// The records' file can grow no more (a full disk, a file-size limit): the
// tables play on, the room says the records are unavailable, and once the
// file may grow again every game is written, once.
TEST(RecordsFull, PlayGoesOnAndEveryGameLandsWhenTheFileMayGrowAgain) {
    QTemporaryDir dir;
    const QString db = dir.filePath("room.db");
    RoomProcess room({"--bots", "3", "--bot-pause-ms", "20", "--bot-quiet-ms", "0", "--seed", "11", "--db", db});
    ASSERT_NE(room.Port(), 0);
    ScriptedTable me("满了", room.Port());
    me.gamesWanted = 1000000;
    me.playPauseMs = 20;
    ASSERT_TRUE(me.Reserve()) << me.lastReply;
    ASSERT_TRUE(me.Connect());
    ASSERT_TRUE(WaitUntil([&] { return me.gamesOver >= 1; }, 20000));
    const auto limit = [&](const QString& size) {
        return QProcess::execute("prlimit", {"--pid", QString::number(room.Pid()), "--fsize=" + size + ":unlimited"});
    };
    ASSERT_EQ(limit(QString::number(QFileInfo(db).size())), 0);
    const QByteArray unavailable = "\"available\":false";
    ASSERT_TRUE(WaitUntil([&] { return FetchPage(room.Port(), "/health").contains(unavailable); }, 30000));
    const int atFull = me.gamesOver;
    EXPECT_TRUE(WaitUntil([&] { return me.gamesOver >= atFull + 3; }, 30000)) << "play stopped with the file full";
    EXPECT_TRUE(room.Running());

    ASSERT_EQ(limit("unlimited"), 0);
    me.gamesWanted = me.gamesOver + 1;  // the game in hand is the last
    ASSERT_TRUE(WaitUntil(
        [&] {
            return me.gamesOver >= me.gamesWanted &&
                   FetchPage(room.Port(), "/health").contains("\"available\":true") &&
                   FetchPage(room.Port(), "/health").contains("\"waitingWrites\":0");
        },
        30000));
    ASSERT_TRUE(room.Stop(SIGTERM));
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("full"));
        check.setDatabaseName(db);
        ASSERT_TRUE(check.open());
        QSqlQuery q(check);
        ASSERT_TRUE(q.exec("PRAGMA integrity_check") && q.next());
        EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok"));
        ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM games") && q.next());
        EXPECT_EQ(q.value(0).toInt(), me.gamesOver);
        ASSERT_TRUE(q.exec("SELECT games FROM people WHERE name = '满了'") && q.next());
        EXPECT_EQ(q.value(0).toInt(), me.gamesOver);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("full"));
}

// Stopped as a service manager stops it, the room settles its games first:
// a game with a dropped player is that player's escape; a game of people
// all present is kept as abandoned, no record changed; every table is told
// why its link ends before it ends; everything is on disk at the exit.
TEST(RoomStopped, SettlesEveryGameAndTellsEveryTableWhy) {
    QTemporaryDir dir;
    const QString db = dir.filePath("room.db");
    RoomProcess room({"--bots", "3", "--bot-pause-ms", "0", "--bot-quiet-ms", "0", "--seed", "5", "--db", db});
    ASSERT_NE(room.Port(), 0);
    // Two tables, each held up at its person's turn.
    ScriptedTable present("张三", room.Port()), dropped("李四", room.Port());
    for (ScriptedTable* t : {&present, &dropped}) {
        t->holdPlays = true;
        ASSERT_TRUE(t->Reserve()) << t->lastReply;
        ASSERT_TRUE(t->Connect());
        ASSERT_TRUE(WaitUntil([&] { return !t->Of(19).empty(); }, 10000));
    }
    ScriptedTable watcher("看客", room.Port());
    ASSERT_TRUE(watcher.Reserve("李四")) << watcher.lastReply;
    ASSERT_TRUE(watcher.Connect());
    ASSERT_TRUE(WaitUntil([&] { return !watcher.Of(109).empty(); }, 10000));
    const int droppedSeat = dropped.seat;
    dropped.Drop();
    ASSERT_TRUE(WaitUntil([&] { return !watcher.Of(108).empty(); }, 10000));

    ASSERT_TRUE(room.Stop(SIGTERM));
    EXPECT_EQ(room.ExitCode(), 0);
    ASSERT_TRUE(WaitUntil([&] { return present.disconnected && watcher.disconnected; }));
    ASSERT_FALSE(present.Of(22).empty());
    EXPECT_EQ(GetTextFromBytes(present.Of(22).back(), 1), "房间已关闭，本局游戏已结束。");
    ASSERT_FALSE(watcher.Of(22).empty());
    EXPECT_EQ(GetTextFromBytes(watcher.Of(22).back(), 1), "你旁观的玩家已经离开了本桌。");
    EXPECT_EQ(watcher.Of(23).size(), 1u);

    room::Store records;
    QString error;
    ASSERT_TRUE(records.Open(db, error)) << error.toStdString();
    EXPECT_EQ(records.CountGames(), 2);
    const room::PersonRecord runaway = *records.LoadOrCreate("李四", false);
    EXPECT_EQ(runaway.escapes, 1);
    EXPECT_EQ(runaway.points, -50);
    EXPECT_EQ(records.LoadOrCreate("张三", false)->games, 0);
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        check.setDatabaseName(db);
        ASSERT_TRUE(check.open());
        QSqlQuery q(check);
        ASSERT_TRUE(q.exec("SELECT players, abandoned, escaped_seat FROM games"));
        while (q.next()) {
            const bool hers = q.value(0).toString().contains(QStringLiteral("李四"));
            EXPECT_EQ(q.value(1).toInt(), hers ? 0 : 1);
            EXPECT_EQ(q.value(2).toInt(), hers ? droppedSeat : -1);
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
}

// A room short of descriptors takes what it can hold, tells the rest at
// once that it is full, sits idle while they knock, and seats a person as
// soon as a link frees up.
TEST(RoomFull, RefusesWhatItCannotHoldAtOnceAndDoesNotSpin) {
    RoomProcess room({"--bots", "3"}, /*descriptorLimit=*/64);  // 16 links by default
    ASSERT_NE(room.Port(), 0);
    std::vector<std::unique_ptr<QTcpSocket>> links;
    for (int i = 0; i < 40; ++i) {
        links.push_back(std::make_unique<QTcpSocket>());
        links.back()->connectToHost(QHostAddress::LocalHost, room.Port());
    }
    const auto refused = [&] {
        return std::count_if(links.begin(), links.end(), [](const auto& s) {
            return s->state() == QAbstractSocket::UnconnectedState;
        });
    };
    ASSERT_TRUE(WaitUntil([&] { return refused() == 24; }, 10000)) << refused();
    const qint64 before = room.CpuMs();
    WaitUntil([] { return false; }, 2000);
    EXPECT_LT(room.CpuMs() - before, 100);  // under 5 % of the two seconds

    links.front()->abort();
    ScriptedTable person("张三", room.Port());
    EXPECT_TRUE(WaitUntil([&] { return person.Reserve(); }, 3000)) << person.lastReply;
}

}  // namespace
}  // namespace redten::faults
