#include "server/tables/selfplay.h"

#include <chrono>
#include <random>

#include "server/tables/invariants.h"
#include "server/tables/manual_timers.h"
#include "server/tables/table.h"

namespace redten::room {
namespace {

// Runs timers in order of when they are due, on a clock of its own, as fast
// as the machine goes. Sends go nowhere: computer players need no messages.
class QuickHost final : public TableHost {
public:
    QuickHost(std::uint64_t seed, int games) : seeds_(seed), wanted_(games) {}

    void Send(PersonId, const Bytes&) override {}
    void Disconnect(PersonId) override {}
    TimerId After(int ms, std::function<void()> fn) override { return timers_.After(ms, std::move(fn)); }
    void Cancel(TimerId timer) override { timers_.Cancel(timer); }
    void Log(LogLevel, const std::string&) override {}
    void GameFinished(const FinishedGame& game) override {
        ++finished_;
        if (failure_.empty()) {
            if (const auto broken = CheckFinishedGame(game)) {
                failure_ = "game " + std::to_string(finished_) + ": " + *broken;
            }
        }
    }
    std::uint64_t NextDealSeed() override { return seeds_(); }

    void Run() {
        while (finished_ < wanted_ && failure_.empty() && timers_.RunNext()) {
        }
    }
    int finished() const { return finished_; }
    const std::string& failure() const { return failure_; }

private:
    std::mt19937_64 seeds_;
    ManualTimers timers_;
    int wanted_;
    int finished_ = 0;
    std::string failure_;
};

}  // namespace

SelfPlayResult SelfPlay(int games, std::uint64_t seed) {
    QuickHost host(seed, games);
    TableOptions options;
    options.botPauseMs = 0;
    options.botQuietMs = 0;
    const auto start = std::chrono::steady_clock::now();
    {
        Table table(1, options, host);
        const char* names[] = {"电脑甲", "电脑乙", "电脑丙", "电脑丁"};
        for (int i = 0; i < 4; ++i) {
            PersonRecord p;
            p.name = names[i];
            p.userId = 10001 + i;
            table.SeatPlayer(-1 - i, p, true, true);
        }
        host.Run();
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    SelfPlayResult result;
    result.games = host.finished();
    result.seconds = elapsed.count();
    result.failure = host.failure();
    if (result.failure.empty() && result.games < games) {
        result.failure = "the table stopped after " + std::to_string(result.games) + " games";
    }
    return result;
}

}  // namespace redten::room
