#include <gtest/gtest.h>

#include "server/tables/replay.h"
#include "server/tables/table.h"
#include "support/fake_table_host.h"
#include "wire/client_messages.h"

namespace redten::room {
namespace {

using test::FakeTableHost;

constexpr PersonId kWatcher = 2;
constexpr PersonId kViewer = 9;

PersonRecord Person(const std::string& name) {
    PersonRecord p;
    p.name = name;
    return p;
}

// What a spectator saw of one game: from its start to its result.
std::vector<Bytes> GameMessages(const std::vector<Bytes>& sent) {
    std::vector<Bytes> out;
    bool on = false;
    for (const Bytes& m : sent) {
        on = on || m[0] == 17;
        if (on && (m[0] == 17 || m[0] == 19 || m[0] == 20 || m[0] == 21 || m[0] == 2 || m[0] == 5 || m[0] == 23)) {
            out.push_back(m);
        }
        if (m[0] == 23) {
            break;
        }
    }
    return out;
}

// A game played at a table of computer players (and, when asked, a person
// who runs away), watched from seat 1 by a spectator who sees the cards.
class ReplayTest : public testing::Test {
protected:
    void PlayOneGame(bool somebodyRunsAway) {
        TableOptions options;
        options.botPauseMs = 0;
        options.botQuietMs = 0;
        Table table(3, options, live_);
        if (somebodyRunsAway) {
            ASSERT_TRUE(table.SeatPlayer(1, Person("张三"), false, true));
        }
        for (int i = somebodyRunsAway ? 1 : 0; i < 4; ++i) {
            ASSERT_TRUE(table.SeatPlayer(-1 - i, Person("电脑" + std::to_string(i)), true, true));
        }
        ASSERT_TRUE(table.AddSpectator(kWatcher, Person("看客"), "电脑1", true));
        if (somebodyRunsAway) {
            table.OnMessage(1, MakeConfirmSettings("张三", "100`1000`10`50`500`0"));
            live_.Run(0);
            table.OnMessage(1, MakeShowingAnswer(0, 0));
            live_.Run(3000);
            table.OnMessage(1, MakeLeaveTable("张三"));
        }
        // One timer at a time: computer players without pauses start the
        // next game at once.
        for (int i = 0; i < 100000 && live_.finished.empty(); ++i) {
            live_.Run(-1, 1);
        }
        ASSERT_EQ(live_.finished.size(), 1u);
        stored_ = {1, "2026-12-08T12:00:00Z", live_.finished[0], std::nullopt};
    }

    FakeTableHost& Replayed(double speed, const StoredGame& stored) {
        ReplayOptions options;
        options.speed = speed;
        replay_ = std::make_unique<Replay>(kViewer, "重看", stored, 1, options, replayed_);
        replay_->Start();
        replayed_.Run();
        return replayed_;
    }

    FakeTableHost live_, replayed_;
    StoredGame stored_;
    std::unique_ptr<Replay> replay_;
};

TEST_F(ReplayTest, ASpectatorOfTheReplayIsSentWhatASpectatorOfTheGameWasSent) {
    PlayOneGame(/*somebodyRunsAway=*/false);
    const auto seen = GameMessages(live_.sent[kWatcher]);
    ASSERT_FALSE(live_.Of(kWatcher, 23).empty());
    EXPECT_EQ(GameMessages(Replayed(0, stored_).sent[kViewer]), seen);
    EXPECT_TRUE(replay_->Over());
    EXPECT_TRUE(replayed_.finished.empty());  // nothing goes to the records
    // The spectator may leave; a leave in another name is not its own.
    EXPECT_FALSE(replay_->OnMessage(MakeLeaveTable("看客")));
    EXPECT_TRUE(replay_->OnMessage(MakeLeaveTable("重看")));
}

TEST_F(ReplayTest, ARunawayIsReplayedWithItsReasonAndItsPenalty) {
    PlayOneGame(/*somebodyRunsAway=*/true);
    ASSERT_EQ(stored_.game.escapedSeat, 0);
    const auto seen = GameMessages(live_.sent[kWatcher]);
    ASSERT_EQ(std::count_if(seen.begin(), seen.end(), [](const Bytes& m) { return m[0] == 5; }), 1);
    EXPECT_EQ(GameMessages(Replayed(0, stored_).sent[kViewer]), seen);
}

TEST_F(ReplayTest, TheRecordedPaceIsScaledAndCappedAndOldGamesPlayTheSame) {
    PlayOneGame(/*somebodyRunsAway=*/false);
    StoredGame paced = stored_;
    for (std::size_t i = 0; i < paced.game.steps.size(); ++i) {
        paced.game.steps[i].ms = static_cast<std::int32_t>(1000 * (i + 1));
    }
    paced.game.steps.back().ms += 600000;  // an hour-long wait is not kept
    FakeTableHost& host = Replayed(2, paced);
    std::vector<std::int64_t> plays;
    for (std::size_t i = 0; i < host.sent[kViewer].size(); ++i) {
        if (host.sent[kViewer][i][0] == 21) {
            plays.push_back(host.sentAt[kViewer][i]);
        }
    }
    ASSERT_GE(plays.size(), 3u);
    EXPECT_EQ(plays[1] - plays[0], 500);
    EXPECT_EQ(plays.back() - plays[plays.size() - 2], ReplayOptions{}.longestWaitMs);

    // Stored before the steps were kept: the same plays and the same end.
    StoredGame old = stored_;
    old.game.steps.clear();
    FakeTableHost again;
    Replay replay(kViewer, "重看", old, 1, ReplayOptions{}, again);
    replay.Start();
    again.Run();
    EXPECT_EQ(again.Of(kViewer, 21), live_.Of(kWatcher, 21));
    EXPECT_EQ(again.Of(kViewer, 23), live_.Of(kWatcher, 23));
}

}  // namespace
}  // namespace redten::room
