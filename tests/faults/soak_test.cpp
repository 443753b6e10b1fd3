// A long run: many tables of four scripted tables play game after game
// against one room over real sockets, and every game must add up, at the
// tables, in the room and in its records. REDTEN_SOAK_GAMES sets how many
// games (REDTEN_SOAK_TABLES how many tables), for runs longer than the
// everyday one.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <iostream>

#include "server/room_server.h"
#include "server/store/store.h"
#include "support/room_server.h"
#include "support/store_view.h"
#include "support/scripted_table.h"

namespace redten::room {
namespace {

using redten::test::WaitUntil;
using test::ScriptedTable;

int FromEnvironment(const char* name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

TEST(Soak, ManyTablesPlayGameAfterGameAndEveryGameAddsUp) {
    const int wanted = FromEnvironment("REDTEN_SOAK_GAMES", 1000);
    const int tables = std::min(FromEnvironment("REDTEN_SOAK_TABLES", 50), wanted);
    const int perTable = (wanted + tables - 1) / tables;

    QTemporaryDir dir;
    StoreWorker worker;
    test::StoreView store(worker);
    QString error;
    ASSERT_TRUE(worker.Open(dir.filePath("soak.db"), error)) << error.toStdString();
    RoomOptions options;
    options.botsPerTable = 0;
    options.logLevel = LogLevel::Error;
    options.seed = 2024;
    options.table.botPauseMs = 0;
    options.table.botQuietMs = 0;
    // A scripted table misses its follow answer when another seat's answer
    // reaches it before the echo of its own; the room then waits out the
    // follow time, kept short here.
    options.table.game.showSeconds = 1;
    RoomServer room(options, worker);
    ASSERT_TRUE(room.Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();

    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (int i = 0; i < 4 * tables; ++i) {
        players.push_back(std::make_unique<ScriptedTable>("牌手" + std::to_string(i), room.Port()));
        players.back()->gamesWanted = perTable;
        ASSERT_TRUE(players.back()->Reserve()) << players.back()->lastReply;
        ASSERT_TRUE(players.back()->Connect());
    }
    const bool finished = WaitUntil(
        [&] {
            return std::all_of(players.begin(), players.end(),
                               [&](const auto& p) { return p->gamesOver >= perTable || p->disconnected; });
        },
        600000);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    const std::int64_t recorded = store.CountGames();
    std::cout << "soak: " << recorded << " games at " << tables << " tables in " << seconds << " s, "
              << static_cast<int>(static_cast<double>(recorded) / seconds) << " games/s" << std::endl;
    RecordProperty("games", static_cast<int>(recorded));
    RecordProperty("games_per_second", static_cast<int>(static_cast<double>(recorded) / seconds));
    ASSERT_TRUE(finished);

    EXPECT_EQ(room.TableCount(), static_cast<std::size_t>(tables));
    EXPECT_EQ(room.LinkCount(), players.size());
    EXPECT_EQ(room.BrokenGames(), 0);
    EXPECT_EQ(recorded, std::int64_t{tables} * perTable);
    std::int64_t points = 0;
    for (const auto& p : players) {
        // Each table saw every card of every deal once and scores summing
        // to zero; nothing it played was refused; it stayed to the end.
        EXPECT_TRUE(p->problems.empty()) << p->problems.front();
        EXPECT_TRUE(p->Of(22).empty()) << "a play was refused";
        EXPECT_FALSE(p->disconnected);
        EXPECT_EQ(p->gamesOver, perTable);
    }
    for (int i = 0; i < 4 * tables; ++i) {
        const PersonRecord record = *store.LoadOrCreate("牌手" + std::to_string(i), false);
        EXPECT_EQ(record.games, perTable);
        EXPECT_EQ(record.wins + record.losses, perTable);
        points += record.points;
    }
    EXPECT_EQ(points, 0) << "points were made or lost in the records";
}

}  // namespace
}  // namespace redten::room
