// Several rooms on one PostgreSQL: games spread over them, a room killed,
// and the database gone for a while, with scripted tables over real sockets.
#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QVariant>

#include <map>
#include <memory>
#include <set>

#include "lobby/directory.h"
#include "pg/pg_shared.h"
#include "server/room_server.h"
#include "support/room_process.h"
#include "support/room_server.h"
#include "support/scripted_table.h"
#include "support/store_view.h"

namespace redten::room {
namespace {

using redten::test::RoomProcess;
using redten::test::SharedCluster;
using redten::test::WaitUntil;
using test::ScriptedTable;

RoomOptions Quick(int bots, int leaseSeconds) {
    RoomOptions options;
    options.botsPerTable = bots;
    options.logLevel =
        qEnvironmentVariableIsSet("REDTEN_PG_TEST_LOG") ? LogLevel::Info : LogLevel::Error;
    options.table.botPauseMs = 0;
    options.table.botQuietMs = 0;
    // A scripted table may miss its follow answer; the room then waits
    // this long for it.
    options.table.game.showSeconds = 1;
    options.leaseSeconds = leaseSeconds;
    return options;
}

// A room in this process with its own connection to the shared records.
struct Room {
    Room(const QString& uri, const RoomOptions& options) {
        QString error;
        opened = store.Open(uri, error);
        EXPECT_TRUE(opened) << error.toStdString();
        server = std::make_unique<RoomServer>(options, store);
        EXPECT_TRUE(server->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }
    quint16 Port() const { return server->Port(); }
    test::StoreView Records() { return test::StoreView(store); }

    StoreWorker store;
    bool opened = false;
    std::unique_ptr<RoomServer> server;
};

std::unique_ptr<ScriptedTable> Sit(const std::string& name, quint16 port, int games) {
    auto t = std::make_unique<ScriptedTable>(name, port);
    t->gamesWanted = games;
    // A name another room has just let go of is free at its next heartbeat.
    const bool reserved = WaitUntil([&] { return t->Reserve(); }, 15000);
    EXPECT_TRUE(reserved) << name << ": " << t->lastReply;
    if (reserved) {
        EXPECT_TRUE(t->Connect());
    }
    return t;
}

// The stored games read straight from the database: each person's points
// as the sum over the games' rows.
struct GameRows {
    std::int64_t count = 0;
    std::map<std::string, std::int64_t> points, games;
};

QSqlDatabase Direct(const QString& uri) {
    const QUrl url(uri);
    const QString name = QStringLiteral("direct-") + uri;
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    db.setHostName(url.host());
    db.setPort(url.port());
    db.setUserName(url.userName());
    db.setDatabaseName(url.path().mid(1));
    EXPECT_TRUE(db.open()) << db.lastError().text().toStdString();
    return db;
}

GameRows ReadGames(const QString& uri) {
    GameRows rows;
    QSqlQuery q(Direct(uri));
    EXPECT_TRUE(q.exec(QStringLiteral("SELECT players, scores FROM games WHERE abandoned = 0")));
    while (q.next()) {
        ++rows.count;
        const QStringList players = q.value(0).toString().split(QLatin1Char(';'));
        const QStringList scores = q.value(1).toString().split(QLatin1Char(';'));
        for (qsizetype s = 0; s < players.size() && s < scores.size(); ++s) {
            rows.points[players[s].toStdString()] += scores[s].toLongLong();
            rows.games[players[s].toStdString()] += 1;
        }
    }
    return rows;
}

// Every person's totals are the sum over the games' rows; numbers unique.
void ExpectTotalsMatchGames(const QString& uri) {
    const GameRows rows = ReadGames(uri);
    QSqlQuery q(Direct(uri));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT name, points, games FROM people")));
    while (q.next()) {
        const std::string name = q.value(0).toString().toStdString();
        EXPECT_EQ(q.value(1).toLongLong(), rows.points.count(name) ? rows.points.at(name) : 0)
            << name;
        EXPECT_EQ(q.value(2).toLongLong(), rows.games.count(name) ? rows.games.at(name) : 0)
            << name;
    }
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT COUNT(*) - COUNT(DISTINCT user_id) FROM people")) &&
                q.next());
    EXPECT_EQ(q.value(0).toInt(), 0) << "a user number was given twice";
}

TEST(SharedRooms, TwoHundredGamesAtTwentyTablesOverTwoRoomsAddUp) {
    const QString uri = SharedCluster().NewDatabase();
    ASSERT_FALSE(uri.isEmpty());
    Room a(uri, Quick(0, 3)), b(uri, Quick(0, 3));
    ASSERT_TRUE(a.opened && b.opened);
    constexpr int kTablesEach = 10, kGamesPerHalf = 5;
    const auto name = [](int i) { return "牌手" + std::to_string(i); };
    // Everybody plays half the games in one room and half in the other:
    // each room adds to totals the other has changed meanwhile.
    for (int half = 0; half < 2; ++half) {
        std::vector<std::unique_ptr<ScriptedTable>> players;
        for (int i = 0; i < 8 * kTablesEach; ++i) {
            const bool inA = (i < 4 * kTablesEach) == (half == 0);
            players.push_back(Sit(name(i), inA ? a.Port() : b.Port(), kGamesPerHalf));
            ASSERT_FALSE(HasFailure());
        }
        ASSERT_TRUE(WaitUntil(
            [&] {
                return std::all_of(players.begin(), players.end(), [](const auto& p) {
                    return p->gamesOver >= kGamesPerHalf || p->disconnected;
                });
            },
            240000));
        for (const auto& p : players) {
            EXPECT_TRUE(p->problems.empty()) << p->problems.front();
            EXPECT_EQ(p->gamesOver, kGamesPerHalf);
            p->Drop();
        }
        // Written before anyone moves on.
        ASSERT_TRUE(
            WaitUntil([&] { return a.Records().Backlog() + b.Records().Backlog() == 0; }, 30000));
    }
    EXPECT_EQ(a.server->BrokenGames() + b.server->BrokenGames(), 0);
    const GameRows rows = ReadGames(uri);
    EXPECT_EQ(rows.count, 2 * 2 * kTablesEach * kGamesPerHalf);
    for (int i = 0; i < 8 * kTablesEach; ++i) {
        EXPECT_EQ(rows.games.at(name(i)), 2 * kGamesPerHalf) << name(i);
    }
    ExpectTotalsMatchGames(uri);
}

TEST(SharedRooms, AKilledRoomsPeopleSitElsewhereOnceItsClaimsRunOut) {
    const QString uri = SharedCluster().NewDatabase();
    ASSERT_FALSE(uri.isEmpty());
    // Long enough that a busy machine renews it in time, short enough to wait out.
    constexpr int kLease = 4;
    RoomProcess killed({"--db", uri, "--lease-s", QString::number(kLease), "--bots", "3",
                        "--bot-pause-ms", "0", "--bot-quiet-ms", "0", "--bot-level", "basic",
                        "--show-secs", "1"});
    ASSERT_NE(killed.Port(), 0);
    Room other(uri, Quick(3, kLease));
    auto regular = Sit("常客", other.Port(), 1000000);
    auto wanderer = Sit("漂泊者", killed.Port(), 1000000);
    ASSERT_TRUE(WaitUntil([&] { return wanderer->gamesOver >= 2; }, 30000));
    // The game in hand waits at the wanderer's turn; the ones before it are
    // written by now.
    wanderer->holdPlays = true;
    Store reader;
    QString error;
    ASSERT_TRUE(reader.Open(uri, error)) << error.toStdString();
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto record = reader.LoadOrCreate("漂泊者", false);
            return record && record->games == wanderer->gamesOver && wanderer->hand.size() == 13;
        },
        15000));
    const int finished = wanderer->gamesOver;
    killed.Kill();
    const int regularAtKill = regular->gamesOver;

    // The dead room's claim stands until it runs out, then the other room
    // seats the wanderer.
    auto again = std::make_unique<ScriptedTable>("漂泊者", other.Port());
    EXPECT_FALSE(again->Reserve());
    EXPECT_NE(again->lastReply.find("另一个房间"), std::string::npos) << again->lastReply;
    again = Sit("漂泊者", other.Port(), 1);
    ASSERT_TRUE(WaitUntil([&] { return again->gamesOver >= 1; }, 30000));
    EXPECT_GT(regular->gamesOver, regularAtKill) << "the other room stopped";
    EXPECT_TRUE(WaitUntil(
        [&] { return reader.LoadOrCreate("漂泊者", false)->games == finished + 1; }, 10000))
        << "a finished game was lost";
    // The dead room drops out of the directory (heartbeats are stamped in
    // whole seconds); the living one stays.
    std::optional<std::vector<RoomEntry>> rooms;
    EXPECT_TRUE(WaitUntil(
        [&] {
            rooms = lobby::ReadDirectory(uri, kLease, error);
            return rooms && rooms->size() == 1;
        },
        3000));
    ASSERT_TRUE(rooms) << error.toStdString();
    ASSERT_EQ(rooms->size(), 1u);
    EXPECT_EQ((*rooms)[0].id, other.server->Id());
}

// redten-play --directory, as a person runs it; the table it starts is a
// stand-in that ends at once. Its output and exit code.
std::pair<QString, int> Play(const QStringList& args) {
    QProcess play;
    play.start(QStringLiteral(REDTEN_PLAY_EXE),
               args + QStringList{"--table", "/bin/true", "--secret", "s"});
    // The rooms answer from this thread's event loop.
    EXPECT_TRUE(WaitUntil([&] { return play.state() == QProcess::NotRunning; }, 20000));
    return {QString::fromUtf8(play.readAllStandardOutput() + play.readAllStandardError()),
            play.exitCode()};
}

TEST(SharedRooms, TheLobbySeatsPeopleAcrossTwoRoomsUntilBothAreFull) {
    const QString uri = SharedCluster().NewDatabase();
    ASSERT_FALSE(uri.isEmpty());
    RoomOptions oneTable = Quick(3, 3);
    oneTable.maxTables = 1;  // one person with three computer players
    Room a(uri, oneTable), b(uri, oneTable);
    const auto [listed, listCode] = Play({"--directory", uri, "--list"});
    EXPECT_EQ(listCode, 0);
    for (const Room* room : {&a, &b}) {
        EXPECT_TRUE(listed.contains(QStringLiteral("127.0.0.1:%1").arg(room->Port())))
            << listed.toStdString();
    }
    // The lobby window reads the same directory beside its own thread.
    lobby::DirectoryRooms directory(uri, lobby::kRoomGoneSeconds);
    std::vector<RoomEntry> read;
    QObject::connect(&directory, &lobby::DirectoryRooms::Read, [&](const std::vector<RoomEntry>& rooms) { read = rooms; });
    directory.Start(60000);
    ASSERT_TRUE(redten::test::WaitUntil([&] { return read.size() == 2; }, 10000));
    std::set<QString> seatedAt;
    for (const char* name : {"东", "西"}) {
        const auto [out, code] = Play({"--directory", uri, "--name", QString::fromUtf8(name)});
        EXPECT_EQ(code, 0) << out.toStdString();
        const qsizetype at = out.indexOf(QStringLiteral("坐进房间 "));
        ASSERT_GE(at, 0) << out.toStdString();
        seatedAt.insert(out.mid(at + 5).section(QLatin1Char('\n'), 0, 0).trimmed());
    }
    EXPECT_EQ(seatedAt, (std::set<QString>{QStringLiteral("127.0.0.1:%1").arg(a.Port()),
                                           QStringLiteral("127.0.0.1:%1").arg(b.Port())}));
    const auto [full, fullCode] = Play({"--directory", uri, "--name", "南"});
    EXPECT_NE(fullCode, 0);
    EXPECT_TRUE(full.contains(QStringLiteral("满"))) << full.toStdString() << fullCode;

    // A room that closes leaves the directory at once.
    bool closed = false;
    a.server->Shutdown([&] { closed = true; });
    ASSERT_TRUE(WaitUntil([&] { return closed; }, 15000));
    QString error;
    std::optional<std::vector<RoomEntry>> rooms;
    EXPECT_TRUE(WaitUntil(
        [&] {
            rooms = lobby::ReadDirectory(uri, 60, error);
            return rooms && rooms->size() == 1 && (*rooms)[0].id == b.server->Id();
        },
        3000))
        << error.toStdString();
}

TEST(SharedRooms, TwentySecondsWithoutTheDatabaseLoseNothingAndStopNoRoom) {
    const QString uri = SharedCluster().NewDatabase();
    ASSERT_FALSE(uri.isEmpty());
    // Computer players at a pace that leaves the rooms far from their bound
    // on games waiting to be written, as people would.
    RoomOptions paced = Quick(3, 30);
    paced.table.botPauseMs = 10;
    Room a(uri, paced), b(uri, paced);
    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (int i = 0; i < 4; ++i) {
        players.push_back(Sit("恒心" + std::to_string(i), i % 2 ? b.Port() : a.Port(), 1000000));
    }
    // Someone who sat here earlier and left comes back in during the outage.
    auto regular = Sit("常客", a.Port(), 1);
    ASSERT_TRUE(
        WaitUntil([&] { return players[0]->gamesOver >= 2 && players[1]->gamesOver >= 2 && regular->gamesOver >= 1; },
                  30000));
    regular.reset();
    ASSERT_TRUE(SharedCluster().Cluster().Stop());
    QElapsedTimer away;
    away.start();
    std::vector<int> before;
    for (const auto& p : players) {
        before.push_back(p->gamesOver);
    }
    WaitUntil([] { return false; }, 2000);
    regular = Sit("常客", a.Port(), 1);
    EXPECT_TRUE(WaitUntil([&] { return regular->gamesOver >= 1; }, 15000)) << "the regular did not play";
    WaitUntil([] { return false; }, static_cast<int>(std::max<qint64>(20000 - away.elapsed(), 0)));
    for (std::size_t i = 0; i < players.size(); ++i) {
        EXPECT_GT(players[i]->gamesOver, before[i] + 1)
            << "a table stopped while the database was away";
    }
    // Newcomers are told why they cannot sit.
    ScriptedTable newcomer("新来的", a.Port());
    EXPECT_FALSE(newcomer.Reserve());
    EXPECT_EQ(newcomer.lastReply, "ERR 记录暂时不可用，请稍后再试。");
    QString why;
    ASSERT_TRUE(SharedCluster().Cluster().Restart(why)) << why.toStdString();
    for (const auto& p : players) {
        p->gamesWanted = p->gamesOver + 1;  // the game in hand is the last
    }
    ASSERT_TRUE(WaitUntil(
        [&] {
            return std::all_of(players.begin(), players.end(),
                               [](const auto& p) { return p->gamesOver >= p->gamesWanted; }) &&
                   a.Records().Backlog() + b.Records().Backlog() == 0;
        },
        60000));
    const GameRows rows = ReadGames(uri);
    std::int64_t played = 0;
    for (const auto& p : players) {
        EXPECT_TRUE(p->problems.empty()) << p->problems.front();
        played += p->gamesOver;
    }
    EXPECT_EQ(rows.count, played + 2);  // and the regular's two games
    ExpectTotalsMatchGames(uri);
}

}  // namespace
}  // namespace redten::room
