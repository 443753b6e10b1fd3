// The room under load: many tables of one scripted person and three strong
// computer players play on, while one more scripted person at a table of
// its own measures how long the room takes to echo each of its plays.
//
//   build/bench/room_load [TABLES] [PAUSE_MS] [ECHOES]
//
// Defaults: 50 tables, computer players pausing 200 ms (a quarter of the
// room's default, so that they think four times as often), 150 echoes.
#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>
#include <iostream>

#include "server/room_server.h"
#include "server/store/store_worker.h"
#include "support/room_server.h"
#include "support/scripted_table.h"

using namespace redten::room;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int tables = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 500) : 50;
    const int pauseMs = argc > 2 ? std::clamp(std::atoi(argv[2]), 0, 10000) : 200;
    const std::size_t echoes =
        argc > 3 ? static_cast<std::size_t>(std::clamp(std::atoi(argv[3]), 1, 100000)) : 150;

    StoreWorker store;
    QString error;
    if (!store.Open(QStringLiteral(":memory:"), error)) {
        std::cerr << error.toStdString() << "\n";
        return 1;
    }
    RoomOptions options;
    options.botsPerTable = 3;
    options.logLevel = LogLevel::Error;
    options.table.botLevel = BotLevel::Strong;
    options.table.botPauseMs = pauseMs;
    options.table.botQuietMs = 0;
    RoomServer room(options, store);
    if (!room.Listen(QHostAddress::LocalHost, 0, error)) {
        std::cerr << error.toStdString() << "\n";
        return 1;
    }
    std::vector<std::unique_ptr<test::ScriptedTable>> people;
    for (int i = 0; i <= tables; ++i) {
        people.push_back(
            std::make_unique<test::ScriptedTable>("客人" + std::to_string(i), room.Port()));
        people.back()->gamesWanted = 1 << 20;
        if (!people.back()->Reserve() || !people.back()->Connect()) {
            std::cerr << "could not seat " << i << ": " << people.back()->lastReply << "\n";
            return 1;
        }
    }
    test::ScriptedTable& probe = *people.back();
    QElapsedTimer clock;
    clock.start();
    redten::test::WaitUntil([&] { return probe.echoMs.size() >= echoes; }, 600000);
    std::vector<double> e = probe.echoMs;
    std::sort(e.begin(), e.end());
    const auto at = [&](double q) {
        return e.empty()
                   ? 0.0
                   : e[std::min(e.size() - 1, static_cast<std::size_t>(q * (e.size() - 1) + 0.5))];
    };
    int games = 0;
    for (const auto& p : people) {
        games += p->gamesOver;
    }
    std::cout << tables << " tables of a person and three strong computer players (pause "
              << pauseMs << " ms), " << games << " games in " << clock.elapsed() / 1000.0 << " s\n"
              << "echo of the probe's plays over " << e.size() << " plays: median " << at(0.5)
              << " ms, p99 " << at(0.99) << " ms, max " << (e.empty() ? 0.0 : e.back()) << " ms\n";
    return 0;
}
