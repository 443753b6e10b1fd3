#include <gtest/gtest.h>

#include <QDir>
#include <QTcpSocket>

#include "components/room_socket.h"
#include "room_server.h"
#include "startup/main_window.h"
#include "store.h"
#include "support/room_server.h"

namespace redten {
namespace {

using redten::test::WaitUntil;

// The table client, in this process, against a room with three computer
// players: nobody touches it, so it plays by running out its clock, and the
// test only presses the start button between games as a person would.
TEST(ClientInARoom, PlaysWholeGamesByAutomaticPlayAlone) {
    room::Store store;
    QString error;
    ASSERT_TRUE(store.Open(":memory:", error));
    room::RoomOptions options;
    options.botsPerTable = 3;
    options.logLevel = room::LogLevel::Error;
    options.seed = 11;
    options.table.botPauseMs = 0;
    // The table pauses after a trick (2 of its seconds, 50 ms here); the room
    // lets it finish before a computer player leads again.
    options.table.botQuietMs = 300;
    options.table.game.autoLimit = 200;
    options.table.game.showSeconds = 2;
    options.table.game.playSeconds = 2;
    room::RoomServer server(options, store);
    ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, error));

    QTcpSocket lobby;
    lobby.connectToHost(QHostAddress::LocalHost, server.Port());
    ASSERT_TRUE(WaitUntil([&] { return lobby.state() == QAbstractSocket::ConnectedState; }));
    lobby.write("SIT 张三\n");
    QByteArray reply;
    ASSERT_TRUE(WaitUntil([&] {
        reply += lobby.readAll();
        return reply.contains('\n');
    }));
    ASSERT_EQ(reply.trimmed(), "OK");

    ClientContext context;
    context.programDirectory = REDTEN_TABLE_DIR;
    context.launch.strRoomServerHost = "127.0.0.1";
    context.launch.strRoomServerPort = std::to_string(server.Port());
    context.launch.strGameTitle = "红十";
    context.launch.strMyName = "张三";
    InitPublicDefine(context.define, context.programDirectory, "");
    frmGameMain window(context, std::make_unique<RoomSocket>());
    window.SetSecondMs(25);
    window.Load();
    window.setGeometry(0, 0, 1366, 736);
    window.show();
    window.ConnectRoomServer();

    constexpr int kGames = 2;
    bool snapped = false;
    const bool played = WaitUntil(
        [&] {
            // One look at the table in the middle of the first game.
            const auto& seats = context.game.udtUser;
            const int playing = static_cast<int>(std::count_if(
                seats.begin(), seats.end(), [](const UserGameInfo& u) { return !u.bteOutPai.empty(); }));
            if (!snapped && context.game.bteGameState == kPhaseFollow && playing >= 2) {
                snapped = true;
                QDir().mkpath(REDTEN_SNAPSHOT_DIR);
                window.Area().Surface().save(QString(REDTEN_SNAPSHOT_DIR) + "/client-in-a-room.png");
            }
            if (window.Flow().StartVisible() && store.CountGames() < kGames) {
                window.Flow().OnStartClicked();
            }
            return store.CountGames() >= kGames || window.IsUnloading();
        },
        120000);
    ASSERT_TRUE(played) << "phase " << int(context.game.bteGameState) << " cur "
                        << int(context.game.bteCurSeat) << " view " << int(context.define.bteViewSeat)
                        << " hand " << context.game.bteMyPai.size() << " liang "
                        << int(context.game.udtUser[0].bteLiang) << " clock " << window.Flow().ClockTicks()
                        << " tag " << context.define.blnPangGuan;
    EXPECT_FALSE(window.IsUnloading());
    EXPECT_EQ(store.CountGames(), kGames);
    EXPECT_EQ(server.BrokenGames(), 0);
    EXPECT_EQ(context.game.udtUser[0].strUserName, "张三");
    EXPECT_GT(context.game.bteAutoOutTimes, 0);
}

}  // namespace
}  // namespace redten
