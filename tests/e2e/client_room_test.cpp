#include <gtest/gtest.h>

#include <QDir>
#include <QTcpSocket>
#include <QTest>

#include "components/room_socket.h"
#include "rules/cards.h"
#include "server/room_server.h"
#include "server/store/store.h"
#include "startup/main_window.h"
#include "support/room_server.h"
#include "support/scripted_table.h"
#include "support/store_view.h"
#include "wire/client_messages.h"

namespace redten {
namespace {

using redten::test::WaitUntil;

// The table client in this process, seated by the lobby line in a room with
// three computer players, its clocks running 40 times faster.
class ClientInARoom : public testing::Test {
protected:
    // before runs once the room listens, before the lobby line is sent.
    void Open(room::RoomOptions options, const QByteArray& lobbyLine = "SIT 张三\n",
              const std::function<void()>& before = {}) {
        QString error;
        ASSERT_TRUE(worker.Open(":memory:", error));
        options.botsPerTable = 3;
        options.logLevel = room::LogLevel::Error;
        options.table.botPauseMs = 0;
        // The table pauses after a trick (2 of its seconds, 50 ms here); the
        // room lets it finish before a computer player leads again.
        options.table.botQuietMs = 300;
        server = std::make_unique<room::RoomServer>(options, worker);
        ASSERT_TRUE(server->Listen(QHostAddress::LocalHost, 0, error));
        if (before) {
            before();
        }

        QTcpSocket lobby;
        lobby.connectToHost(QHostAddress::LocalHost, server->Port());
        ASSERT_TRUE(WaitUntil([&] { return lobby.state() == QAbstractSocket::ConnectedState; }));
        lobby.write(lobbyLine);
        QByteArray reply;
        ASSERT_TRUE(WaitUntil([&] {
            reply += lobby.readAll();
            return reply.contains('\n');
        }));
        ASSERT_EQ(reply.trimmed(), "OK");

        context.programDirectory = REDTEN_TABLE_DIR;
        context.launch.strRoomServerHost = "127.0.0.1";
        context.launch.strRoomServerPort = std::to_string(server->Port());
        context.launch.strGameTitle = "红十";
        context.launch.strMyName = "张三";
        InitPublicDefine(context.define, context.programDirectory, "");
        session = std::make_unique<TableSession>(context, std::make_unique<RoomSocket>());
        session->SetSecondMs(25);
        window = std::make_unique<frmGameMain>(*session);
        window->Load();
        window->setGeometry(0, 0, 1366, 736);
        window->show();
        session->ConnectRoomServer();
    }

    room::StoreWorker worker;
    room::test::StoreView store{worker};
    std::unique_ptr<room::RoomServer> server;
    ClientContext context;
    std::unique_ptr<TableSession> session;
    std::unique_ptr<frmGameMain> window;
};

// Nobody touches the table: it plays by running out its clock, and the test
// only presses the start button between games.
TEST_F(ClientInARoom, PlaysWholeGamesByAutomaticPlayAlone) {
    room::RoomOptions options;
    options.seed = 11;
    options.table.game.autoLimit = 200;
    options.table.game.showSeconds = 2;
    options.table.game.playSeconds = 2;
    Open(options);

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
                window->Area().Surface().save(QString(REDTEN_SNAPSHOT_DIR) + "/client-in-a-room.png");
            }
            if (session->Flow().StartVisible() && store.CountGames() < kGames) {
                session->Flow().OnStartClicked();
            }
            return store.CountGames() >= kGames || session->IsUnloading();
        },
        120000);
    ASSERT_TRUE(played);
    EXPECT_FALSE(session->IsUnloading());
    EXPECT_EQ(store.CountGames(), kGames);
    EXPECT_EQ(server->BrokenGames(), 0);
    EXPECT_EQ(context.game.udtUser[0].strUserName, "张三");
    EXPECT_GT(context.game.bteAutoOutTimes, 0);
}

// A person at the window, by mouse alone: leading, the lowest card and the
// play button; following, the hint and then play (the hint passes by itself
// when nothing beats); between games, the start button.
class MousePlayer {
public:
    MousePlayer(frmGameMain& window, ClientContext& context)
        : window_(window), game_(context.game), controls_(context.controls) {}

    void Act() {
        if (window_.StartButton().isVisible()) {
            QTest::mouseClick(&window_.StartButton(), Qt::LeftButton);
            return;
        }
        if (controls_.bteOutState[0] == ButtonState::Hidden || game_.bteMyPai.empty()) {
            return;  // not our turn, or nothing to play with
        }
        if (game_.bteGameState == kPhaseLead) {
            std::size_t lowest = 0;
            for (std::size_t i = 1; i < game_.bteMyPai.size(); ++i) {
                if (IsPaiLess(game_.bteMyPai[i], game_.bteMyPai[lowest])) {
                    lowest = i;
                }
            }
            for (std::size_t i = 0; i < game_.bteSelected.size(); ++i) {
                if (game_.bteSelected[i] != 0) {
                    Click(CardPoint(static_cast<int>(i) + 1));  // put it back
                }
            }
            Click(CardPoint(static_cast<int>(lowest) + 1));
            Click(OutButton(0));
        } else if (game_.bteGameState == kPhaseFollow) {
            Click(OutButton(2));
            if (controls_.bteOutState[0] != ButtonState::Hidden) {
                Click(OutButton(0));
            }
        }
    }

private:
    QPoint CardPoint(int k) const {
        const PixelPoint h = window_.Painter().Layout().PaiPos[2];
        const int n = static_cast<int>(game_.bteMyPai.size());
        const int left = h.x - ((n - 1) * PkStepX + PkWidth) / 2;
        // Low in the row: raised cards do not reach there.
        return QPoint(left + (k - 1) * PkStepX + (k == n ? 40 : 5), h.y + 95);
    }
    QPoint OutButton(int i) const {
        const PixelPoint b = window_.Painter().Buttons().OutButtonPos(i);
        return QPoint(b.x + 30, b.y + 14);
    }
    void Click(QPoint at) {
        GameArea& area = window_.Area();
        QTest::mouseMove(&area, QPoint(2, 2));
        QTest::mouseMove(&area, at);
        QTest::mouseClick(&area, Qt::LeftButton, Qt::NoModifier, at);
    }

    frmGameMain& window_;
    GameState& game_;
    TableControls& controls_;
};

TEST_F(ClientInARoom, APersonPlaysWholeGamesWithTheMouse) {
    room::RoomOptions options;
    options.seed = 23;
    options.table.game.playSeconds = 250;  // at 25 ms a second: nobody plays for us
    options.table.game.showSeconds = 4;
    Open(options);

    MousePlayer player(*window, context);
    constexpr int kGames = 3;
    const bool played = WaitUntil(
        [&] {
            player.Act();
            return store.CountGames() >= kGames || session->IsUnloading();
        },
        180000);
    ASSERT_TRUE(played);
    EXPECT_FALSE(session->IsUnloading());
    EXPECT_EQ(server->BrokenGames(), 0);
    EXPECT_EQ(context.game.bteAutoOutTimes, 0);  // every play was ours
}

// A stored game, replayed to the table as a spectator: it follows the game
// to its result like any spectator and nothing is stored.
TEST_F(ClientInARoom, WatchesAStoredGameAgainToItsResult) {
    room::RoomOptions options;
    options.seed = 5;
    options.replayStepMs = 30;
    options.replayPauseMs = 100;
    std::unique_ptr<room::test::ScriptedTable> player;
    Open(options, "REPLAY 张三 1 2 0\n", [&] {
        player = std::make_unique<room::test::ScriptedTable>("李四", server->Port());
        ASSERT_TRUE(player->Reserve());
        ASSERT_TRUE(player->Connect());
        ASSERT_TRUE(WaitUntil([&] { return store.CountGames() == 1; }, 30000));
        player->Send(MakeLeaveTable("李四"));
    });
    bool played = false;
    const bool ended = WaitUntil(
        [&] {
            const std::uint8_t state = context.game.bteGameState;
            played = played || state == kPhaseLead || state == kPhaseFollow;
            return (played && state != kPhaseLead && state != kPhaseFollow) || session->IsUnloading();
        },
        60000);
    ASSERT_TRUE(ended);
    QDir().mkpath(REDTEN_SNAPSHOT_DIR);
    window->Area().Surface().save(QString(REDTEN_SNAPSHOT_DIR) + "/client-replay.png");
    EXPECT_FALSE(session->IsUnloading());
    EXPECT_EQ(context.game.udtUser[0].strUserName, "李四");
    EXPECT_EQ(store.CountGames(), 1);
}

}  // namespace
}  // namespace redten
