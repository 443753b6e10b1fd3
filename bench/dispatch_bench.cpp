// How fast the table handles what the room sends, and how fast the room
// plays: a whole recorded game replayed through the table's room and game
// handlers (no pauses, nothing drawn), and computer-only games in the room.
#include <benchmark/benchmark.h>

#include "fake_table_host.h"
#include "server/tables/selfplay.h"
#include "server/tables/table.h"
#include "support/table_harness.h"

namespace {

using namespace redten;

constexpr room::PersonId kWatcher = 1;

// Everything a spectator of one computer-only game was sent, from its
// arrival to the game's end.
const std::vector<Bytes>& RecordedGame() {
    static const std::vector<Bytes> messages = [] {
        room::test::FakeTableHost host;
        room::TableOptions options;
        options.botPauseMs = 0;
        options.botQuietMs = 0;
        room::Table table(1, options, host);
        const char* names[] = {"电脑甲", "电脑乙", "电脑丙", "电脑丁"};
        for (int i = 0; i < 4; ++i) {
            room::PersonRecord p;
            p.name = names[i];
            p.userId = 10001 + i;
            table.SeatPlayer(-1 - i, p, true, true);
        }
        room::PersonRecord watcher;
        watcher.name = "看客";
        watcher.userId = 20001;
        table.AddSpectator(kWatcher, watcher, "电脑甲", true);
        // One timer at a time: without pauses the table deals the next
        // game as soon as one ends.
        for (int step = 0; step < 100000 && host.finished.empty(); ++step) {
            host.Run(-1, 1);
        }
        return host.sent[kWatcher];
    }();
    return messages;
}

void BM_TableDispatch(benchmark::State& state) {
    test::EnsureApplication();
    const std::vector<Bytes>& game = RecordedGame();
    if (game.size() < 20) {
        state.SkipWithError("the recorded game is too short");
        return;
    }
    std::int64_t handled = 0;
    for (auto _ : state) {
        test::TableHarness table("看客");
        for (const Bytes& m : game) {
            table.Route(m);
        }
        handled += static_cast<std::int64_t>(game.size());
        benchmark::DoNotOptimize(table.context.game.bteGameState);
    }
    state.counters["messages"] = static_cast<double>(game.size());
    state.counters["messages/s"] = benchmark::Counter(static_cast<double>(handled), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TableDispatch)->Unit(benchmark::kMicrosecond);

void BM_RoomComputerGames(benchmark::State& state) {
    std::int64_t games = 0;
    std::uint64_t seed = 1;
    for (auto _ : state) {
        const room::SelfPlayResult r = room::SelfPlay(100, seed++);
        if (!r.failure.empty()) {
            state.SkipWithError(r.failure.c_str());
            return;
        }
        games += r.games;
    }
    state.counters["games/s"] = benchmark::Counter(static_cast<double>(games), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RoomComputerGames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
