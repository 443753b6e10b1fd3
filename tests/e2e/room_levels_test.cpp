#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "server/room_server.h"
#include "server/store/store_worker.h"
#include "support/room_server.h"
#include "support/scripted_table.h"
#include "support/store_view.h"
#include "wire/client_messages.h"
#include "wire/message.h"
#include "wire/text_fields.h"

namespace redten::room {
namespace {

using redten::test::WaitUntil;
using test::ScriptedTable;

// Strong computer players in a real room: they think on the room's worker
// threads while links and timers go on.
class RoomLevelsTest : public testing::Test {
  protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(worker_.Open(dir_.filePath("room.db"), error)) << error.toStdString();
        RoomOptions options;
        options.botsPerTable = 3;
        options.logLevel = LogLevel::Error;
        options.seed = 5;
        options.table.botPauseMs = 0;
        options.table.botQuietMs = 0;
        options.table.botLevel = BotLevel::Strong;
        options.thinkThreads = 2;
        room_ = std::make_unique<RoomServer>(options, worker_);
        ASSERT_TRUE(room_->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
        me_ = std::make_unique<ScriptedTable>("张三", room_->Port());
        ASSERT_TRUE(me_->Reserve()) << me_->lastReply;
        ASSERT_TRUE(me_->Connect());
    }

    QTemporaryDir dir_;
    StoreWorker worker_;
    test::StoreView store_{worker_};
    std::unique_ptr<RoomServer> room_;
    std::unique_ptr<ScriptedTable> me_;
};

TEST_F(RoomLevelsTest, StrongComputerPlayersSayWhatTheyAreAndPlayWholeGames) {
    me_->gamesWanted = 2;
    ASSERT_TRUE(WaitUntil([&] { return me_->gamesOver >= 2; }, 60000));
    EXPECT_TRUE(me_->problems.empty()) << me_->problems.front();
    EXPECT_EQ(room_->BrokenGames(), 0);
    EXPECT_EQ(store_.LoadOrCreate("电脑高手甲1", true)->games, 2);
    // The three arrive in the person's user list as computer players.
    std::vector<std::string> arrived;
    for (const Bytes& m : me_->Of(130)) {
        const auto f = SplitFields(GetTextFromBytes(m, 2));
        if (m[1] == 4 && f.size() == 16) {
            arrived.push_back(f[0]);
            EXPECT_EQ(static_cast<int>(TextValue(f[12])) / 1000, 5) << f[0];  // "电脑玩家"
        }
    }
    EXPECT_EQ(arrived, (std::vector<std::string>{"电脑高手甲1", "电脑高手乙1", "电脑高手丙1"}));
}

// Expert players at a new table think within their own budget, which the
// table's cap leaves them.
TEST_F(RoomLevelsTest, ExpertComputerPlayersPlayAWholeGame) {
    ASSERT_TRUE(WaitUntil([&] { return me_->gamesOver >= 1; }, 60000));
    ScriptedTable owner("东家", room_->Port());
    ASSERT_TRUE(owner.ReserveWith("SITNEW 东家 3 expert")) << owner.lastReply;
    ASSERT_TRUE(owner.Connect());
    ASSERT_TRUE(WaitUntil([&] { return owner.gamesOver >= 1; }, 90000));
    EXPECT_TRUE(owner.problems.empty()) << owner.problems.front();
    EXPECT_EQ(room_->BrokenGames(), 0);
    EXPECT_EQ(store_.LoadOrCreate("电脑大师甲2", true)->games, 1);
}

TEST_F(RoomLevelsTest, APersonWhoRunsAwayLeavesNoThoughtBehind) {
    ASSERT_TRUE(WaitUntil([&] { return !me_->hand.empty(); }, 10000));
    me_->autoPlay = false;
    me_->Send(MakeLeaveTable("张三"));
    ASSERT_TRUE(WaitUntil([&] { return store_.CountGames() == 1; }, 10000));
    EXPECT_EQ(store_.LoadOrCreate("张三", false)->escapes, 1);
    // The room is closed at once, thoughts and all.
    room_.reset();
}

}  // namespace
}  // namespace redten::room
