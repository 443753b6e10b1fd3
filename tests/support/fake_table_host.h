#pragma once

#include <map>
#include <random>
#include <set>
#include <vector>

#include "table_host.h"

namespace redten::room::test {

// A room around one table, without sockets or a clock: it records what
// each person was sent and runs timers when told to, in order.
class FakeTableHost final : public TableHost {
public:
    void Send(PersonId to, const Bytes& message) override { sent[to].push_back(message); }
    void Disconnect(PersonId who) override { disconnected.insert(who); }
    TimerId After(int ms, std::function<void()> fn) override {
        const TimerId id = next_++;
        queue_.emplace(std::make_pair(now_ + std::max(ms, 0), id), std::move(fn));
        return id;
    }
    void Cancel(TimerId timer) override {
        for (auto it = queue_.begin(); it != queue_.end(); ++it) {
            if (it->first.second == timer) {
                queue_.erase(it);
                return;
            }
        }
    }
    void Log(LogLevel, const std::string& line) override { log.push_back(line); }
    void GameFinished(const FinishedGame& game) override { finished.push_back(game); }
    std::uint64_t NextDealSeed() override { return ++seed; }

    // Runs timers due within ms from now (all of them: -1), in order.
    void Run(std::int64_t ms = -1, int maxSteps = 1000000) {
        const std::int64_t until = ms < 0 ? INT64_MAX : now_ + ms;
        while (!queue_.empty() && maxSteps-- > 0) {
            auto first = queue_.begin();
            if (first->first.first > until) {
                break;
            }
            now_ = first->first.first;
            auto fn = std::move(first->second);
            queue_.erase(first);
            fn();
        }
        if (ms >= 0) {
            now_ = until;
        }
    }
    std::size_t PendingTimers() const { return queue_.size(); }

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
    std::set<PersonId> disconnected;
    std::vector<std::string> log;
    std::vector<FinishedGame> finished;
    std::uint64_t seed = 0;

private:
    std::map<std::pair<std::int64_t, TimerId>, std::function<void()>> queue_;
    std::int64_t now_ = 0;
    TimerId next_ = 1;
};

}  // namespace redten::room::test
