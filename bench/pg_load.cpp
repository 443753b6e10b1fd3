// What one PostgreSQL takes from rooms sharing it, and what a slow one does
// to a room's play.
//
//   build/bench/pg_load [SECONDS] [URI]
//
// Without a URI it starts a private server of the system's package (with
// its log synced, as a real one), as the tests do. First: N rooms' store
// threads (N = 1, 2, 4) each write finished games of people from one
// shared pool as fast as the database takes them, for SECONDS each
// (default 10); the figure is games stored a second, all rooms together.
// Then: a room of 20 tables (a scripted person and three basic computer
// players pausing 20 ms each) and a probe person at a table of its own,
// its plays' echo measured with the database as it is, and again with
// every stored game held 250 ms by the database.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <random>
#include <thread>

#include "server/room_server.h"
#include "server/store/store.h"
#include "server/store/store_worker.h"
#include "support/pg_cluster.h"
#include "support/room_server.h"
#include "support/scripted_table.h"

using namespace redten::room;
using redten::CardList;

namespace {

FinishedGame RandomGame(std::mt19937& random, int people) {
    FinishedGame g;
    g.tableNo = 1;
    std::uniform_int_distribution<int> who(0, people - 1);
    for (std::size_t s = 0; s < 4; ++s) {
        g.players[s] = "客人" + std::to_string(who(random));
        g.records[s].name = g.players[s];
        g.dealt[s] = CardList(13, static_cast<std::uint8_t>(s));
        g.scores[s] = s % 2 ? -100 : 100;
        g.changes[s].points = g.scores[s];
        g.changes[s].games = 1;
        (s % 2 ? g.changes[s].losses : g.changes[s].wins) = 1;
    }
    for (int i = 0; i < 40; ++i) {
        g.plays.push_back(
            {static_cast<std::uint8_t>(i % 4), CardList{static_cast<std::uint8_t>(i)}});
    }
    return g;
}

bool Exec(const QString& uri, const QString& sql) {
    const QUrl url(uri);
    bool ok = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-admin"));
        db.setHostName(url.host());
        db.setPort(url.port(5432));
        db.setUserName(url.userName());
        db.setDatabaseName(url.path().mid(1));
        QSqlQuery q(db);
        ok = db.open() && q.exec(sql);
        if (!ok) {
            std::cerr << (db.isOpen() ? q.lastError() : db.lastError()).text().toStdString()
                      << "\n";
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("bench-admin"));
    return ok;
}

double GamesPerSecond(const QString& uri, int rooms, int seconds) {
    constexpr int kPeople = 400;
    std::atomic<long> stored = 0;
    std::atomic<bool> stop = false;
    std::vector<std::thread> threads;
    for (int r = 0; r < rooms; ++r) {
        threads.emplace_back([&, r] {
            Store store;
            QString error;
            if (!store.Open(uri, error)) {
                std::cerr << error.toStdString() << "\n";
                return;
            }
            std::mt19937 random(static_cast<unsigned>(r + 1));
            for (int i = 0; i < kPeople; ++i) {
                store.LoadOrCreate("客人" + std::to_string(i), false);
            }
            while (!stop) {
                // What could not be written (a statement cancelled, say)
                // goes first, as in a room.
                const std::size_t waiting = store.Backlog();
                if (waiting > 0) {
                    store.RetryBacklog();
                    stored += static_cast<long>(waiting - store.Backlog());
                } else if (store.SaveGame(RandomGame(random, kPeople)) != 0) {
                    ++stored;
                }
            }
        });
    }
    // Every room has made its people before the clock starts.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long before = stored;
    QElapsedTimer clock;
    clock.start();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long during = stored - before;
    const double elapsed = static_cast<double>(clock.elapsed()) / 1000.0;
    stop = true;
    for (auto& t : threads) {
        t.join();
    }
    return static_cast<double>(during) / elapsed;
}

struct Echo {
    double median = 0, p99 = 0, max = 0;
    std::size_t plays = 0;
    std::int64_t stored = 0;  // once the store's queue had drained
    double drainSeconds = 0;  // how long after the run that was
    int games = 0;
};

Echo RoomEcho(const QString& uri, int seconds, bool slow) {
    StoreWorker store;
    QString error;
    if (!store.Open(uri, error)) {
        std::cerr << error.toStdString() << "\n";
        return {};
    }
    if (slow &&
        !(Exec(uri,
               QStringLiteral("CREATE FUNCTION hold() RETURNS trigger AS $$ BEGIN "
                              "PERFORM pg_sleep(0.25); RETURN NEW; END $$ LANGUAGE plpgsql")) &&
          Exec(uri, QStringLiteral("CREATE TRIGGER hold BEFORE INSERT ON games FOR EACH ROW "
                                   "EXECUTE FUNCTION hold()")))) {
        return {};
    }
    RoomOptions options;
    options.botsPerTable = 3;
    options.logLevel = LogLevel::Error;
    options.table.botPauseMs = 20;
    options.table.botQuietMs = 0;
    RoomServer room(options, store);
    if (!room.Listen(QHostAddress::LocalHost, 0, error)) {
        std::cerr << error.toStdString() << "\n";
        return {};
    }
    std::vector<std::unique_ptr<test::ScriptedTable>> people;
    for (int i = 0; i <= 20; ++i) {
        people.push_back(
            std::make_unique<test::ScriptedTable>("来客" + std::to_string(i), room.Port()));
        people.back()->gamesWanted = 1 << 20;
        if (!people.back()->Reserve() || !people.back()->Connect()) {
            std::cerr << "could not seat " << i << ": " << people.back()->lastReply << "\n";
            return {};
        }
    }
    Echo echo;
    QElapsedTimer clock;
    clock.start();
    // Only the event loop runs meanwhile: asking the store's thread would
    // wait behind the very writes that are slow.
    redten::test::WaitUntil([&] { return clock.elapsed() > seconds * 1000; },
                            seconds * 1000 + 1000);
    std::vector<double> e = people.back()->echoMs;
    std::sort(e.begin(), e.end());
    if (!e.empty()) {
        echo.median = e[e.size() / 2];
        echo.p99 =
            e[std::min(e.size() - 1,
                       static_cast<std::size_t>(0.99 * static_cast<double>(e.size() - 1) + 0.5))];
        echo.max = e.back();
    }
    echo.plays = e.size();
    for (const auto& p : people) {
        echo.games += p->gamesOver;
    }
    QElapsedTimer drain;
    drain.start();
    echo.stored = store.Now([](Store& s) { return s.CountGames(); });
    echo.drainSeconds = static_cast<double>(drain.elapsed()) / 1000.0;
    return echo;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 3600) : 10;
    redten::test::PgCluster cluster(/*durable=*/true);
    QString base = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    int made = 0;
    const auto fresh = [&]() -> QString {
        if (!base.isEmpty()) {
            return base;  // the given database, as it is
        }
        QString why;
        const QString name = QStringLiteral("bench%1").arg(++made);
        if (!cluster.CreateDatabase(name, why)) {
            std::cerr << why.toStdString() << "\n";
            std::exit(1);
        }
        return cluster.Uri(name);
    };
    if (base.isEmpty()) {
        QString why;
        if (!cluster.Start(why)) {
            std::cerr << "PostgreSQL could not be started: " << why.toStdString() << "\n";
            return 1;
        }
    }
    for (const int rooms : {1, 2, 4}) {
        std::cout << rooms
                  << " room(s): " << static_cast<long>(GamesPerSecond(fresh(), rooms, seconds))
                  << " finished games stored a second" << std::endl;
    }
    for (const bool slow : {false, true}) {
        const Echo e = RoomEcho(fresh(), seconds, slow);
        std::cout << (slow ? "each game held 250 ms" : "the database as it is") << ": " << e.games
                  << " games in " << seconds << " s, all " << e.stored << " stored "
                  << e.drainSeconds << " s after the run"
                  << "; echo of the probe's plays over " << e.plays << " plays: median " << e.median
                  << " ms, p99 " << e.p99 << " ms, max " << e.max << " ms" << std::endl;
    }
    return 0;
}
