#pragma once

#include <map>
#include <random>
#include <set>
#include <vector>

#include "server/tables/manual_timers.h"
#include "server/tables/table_host.h"

namespace redten::room::test {

// A room around one table, without sockets or a clock: it records what
// each person was sent and runs timers when told to, in order.
class FakeTableHost final : public TableHost {
public:
    void Send(PersonId to, const Bytes& message) override {
        sent[to].push_back(message);
        sentAt[to].push_back(timers_.Now());
    }
    void Disconnect(PersonId who) override { disconnected.insert(who); }
    TimerId After(int ms, std::function<void()> fn) override { return timers_.After(ms, std::move(fn)); }
    void Cancel(TimerId timer) override { timers_.Cancel(timer); }
    void Log(LogLevel, const std::string& line) override { log.push_back(line); }
    void GameFinished(const FinishedGame& game) override { finished.push_back(game); }
    std::uint64_t NextDealSeed() override { return ++seed; }

    // Runs timers due within ms from now (all of them: -1), in order.
    void Run(std::int64_t ms = -1, int maxSteps = 1000000) {
        const std::int64_t until = ms < 0 ? INT64_MAX : timers_.Now() + ms;
        while (maxSteps-- > 0 && timers_.RunNext(until)) {
        }
        if (ms >= 0) {
            timers_.AdvanceTo(until);
        }
    }

    std::int64_t Now() const { return timers_.Now(); }

    // Every message of one code sent to a person.
    std::vector<Bytes> Of(PersonId to, std::uint8_t code) const {
        std::vector<Bytes> out;
        const auto it = sent.find(to);
        if (it != sent.end()) {
            for (const Bytes& m : it->second) {
                if (!m.empty() && m[0] == code) {
                    out.push_back(m);
                }
            }
        }
        return out;
    }

    std::map<PersonId, std::vector<Bytes>> sent;
    std::map<PersonId, std::vector<std::int64_t>> sentAt;  // when, on the timers' clock
    std::set<PersonId> disconnected;
    std::vector<std::string> log;
    std::vector<FinishedGame> finished;
    std::uint64_t seed = 0;

private:
    ManualTimers timers_;
};

}  // namespace redten::room::test
