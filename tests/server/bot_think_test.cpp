#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "server/tables/invariants.h"
#include "server/tables/table.h"
#include "server/tables/think_pool.h"
#include "support/fake_table_host.h"
#include "wire/client_messages.h"

namespace redten::room {
namespace {

constexpr PersonId kHuman = 1;

// A room whose computer players never finish thinking unless told to.
class HoldingHost final : public TableHost {
  public:
    void Send(PersonId to, const Bytes& message) override { inner.Send(to, message); }
    void Disconnect(PersonId who) override { inner.Disconnect(who); }
    TimerId After(int ms, std::function<void()> fn) override {
        return inner.After(ms, std::move(fn));
    }
    void Cancel(TimerId timer) override { inner.Cancel(timer); }
    void Log(LogLevel level, const std::string& line) override { inner.Log(level, line); }
    void GameFinished(const FinishedGame& game) override { inner.GameFinished(game); }
    std::uint64_t NextDealSeed() override { return inner.NextDealSeed(); }
    ThinkId Think(ThinkWork work, std::function<void(engine::Decision)> done) override {
        held[next] = {std::move(work), std::move(done)};
        return next++;
    }
    void CancelThink(ThinkId id) override {
        held.erase(id);
        cancelled.push_back(id);
    }

    test::FakeTableHost inner;
    std::map<ThinkId, std::pair<ThinkWork, std::function<void(engine::Decision)>>> held;
    std::vector<ThinkId> cancelled;
    ThinkId next = 1;
};

class BotThinkTest : public testing::Test {
  protected:
    void SeatAndStart(TableHost& host, test::FakeTableHost& timers) {
        TableOptions options;
        options.botPauseMs = 0;
        options.botQuietMs = 0;
        options.botLevel = BotLevel::Strong;
        table_ = std::make_unique<Table>(3, options, host);
        PersonRecord p;
        p.name = "张三";
        p.userId = 10001;
        ASSERT_TRUE(table_->SeatPlayer(kHuman, p, false, true));
        for (int i = 0; i < 3; ++i) {
            p.name = "电脑" + std::to_string(i);
            p.userId = 20 + i;
            ASSERT_TRUE(table_->SeatPlayer(-1 - i, p, true, true));
        }
        table_->OnMessage(kHuman, MakeConfirmSettings("张三", "100`1000`10`50`500`0"));
        timers.Run(0);
        ASSERT_TRUE(table_->GameRunning());
    }

    HoldingHost holding_;
    test::FakeTableHost quick_;     // thinks at once
    std::unique_ptr<Table> table_;  // goes before its hosts
};

TEST_F(BotThinkTest, ARunawayEndsTheGameAndEveryThoughtWithIt) {
    HoldingHost& host = holding_;
    SeatAndStart(host, host.inner);
    // Every computer player is thinking about its showing answer.
    ASSERT_EQ(host.held.size(), 3u);
    std::vector<ThinkId> thinking;
    for (const auto& [id, job] : host.held) {
        thinking.push_back(id);
    }
    table_->Leave(kHuman);
    EXPECT_FALSE(table_->GameRunning());
    EXPECT_TRUE(host.held.empty());
    EXPECT_EQ(host.cancelled, thinking);
}

TEST_F(BotThinkTest, AThoughtThatNeverComesIsReplacedAfterTheCap) {
    HoldingHost& host = holding_;
    SeatAndStart(host, host.inner);
    table_->OnMessage(kHuman, MakeShowingAnswer(0, 0));
    // Nothing ever comes back; the person's turns are played by the room.
    host.inner.Run(3600 * 1000);
    ASSERT_EQ(host.inner.finished.size(), 1u);
    EXPECT_FALSE(CheckFinishedGame(host.inner.finished[0]).has_value());
    EXPECT_GT(host.next, 10u);  // they did start thinking every time
}

TEST_F(BotThinkTest, StrongPlayersThoughtsArePlayed) {
    test::FakeTableHost& host = quick_;
    SeatAndStart(host, host);
    table_->OnMessage(kHuman, MakeShowingAnswer(0, 0));
    host.Run(3600 * 1000);
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_FALSE(CheckFinishedGame(host.finished[0]).has_value());
}

TEST(ThinkPool, StoppingCancelsRunningWorkAndDeliversNothing) {
    std::atomic<int> delivered{0};
    std::atomic<bool> started{false};
    {
        ThinkPool pool(1);
        for (int i = 0; i < 3; ++i) {
            auto job = std::make_shared<ThinkPool::Job>();
            job->work = [&](const std::atomic<bool>& cancel) {
                started = true;
                while (!cancel) {
                    std::this_thread::yield();
                }
                return engine::Decision{};
            };
            job->deliver = [&](engine::Decision) { ++delivered; };
            pool.Submit(job);
        }
        while (!started) {
            std::this_thread::yield();
        }
        EXPECT_EQ(pool.Busy(), 3u);
    }
    EXPECT_EQ(delivered, 0);

    ThinkPool pool(2);
    auto job = std::make_shared<ThinkPool::Job>();
    job->work = [](const std::atomic<bool>&) { return engine::Decision{3, {}}; };
    std::atomic<int> answer{-1};
    job->deliver = [&](engine::Decision d) { answer = d.answer; };
    pool.Submit(job);
    while (answer < 0) {
        std::this_thread::yield();
    }
    EXPECT_EQ(answer, 3);
}

// Work that may wait (a review) goes after every thought submitted before
// it starts, whenever they came.
TEST(ThinkPool, WorkThatMayWaitGoesAfterEveryThought) {
    ThinkPool pool(1);
    std::atomic<bool> release{false};
    std::mutex mutex;
    std::vector<int> order;
    const auto job = [&](int n, bool hold) {
        auto j = std::make_shared<ThinkPool::Job>();
        j->work = [&, n, hold](const std::atomic<bool>&) {
            while (hold && !release) {
                std::this_thread::yield();
            }
            const std::lock_guard lock(mutex);
            order.push_back(n);
            return engine::Decision{};
        };
        j->deliver = [](engine::Decision) {};
        return j;
    };
    pool.Submit(job(0, true));
    while (pool.Busy() != 1) {
        std::this_thread::yield();
    }
    pool.Submit(job(1, false), true);
    pool.Submit(job(2, false));
    pool.Submit(job(3, false), true);
    pool.Submit(job(4, false));
    release = true;
    while (pool.Busy() != 0) {
        std::this_thread::yield();
    }
    const std::lock_guard lock(mutex);
    EXPECT_EQ(order, (std::vector<int>{0, 2, 4, 1, 3}));
}

}  // namespace
}  // namespace redten::room
