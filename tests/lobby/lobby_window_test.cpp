// The lobby window against a real room on loopback: the tables it draws,
// a chair chosen with the keys, a second lobby seeing it taken, a watch and
// the replay of a stored game. Tables are started by a recorder; scripted
// tables then take the reservations the lobby made.
#include <gtest/gtest.h>

#include <QDir>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTest>

#include "lobby/lobby_window.h"
#include "server/room_server.h"
#include "server/store/store_worker.h"
#include "support/room_server.h"
#include "support/scripted_table.h"

namespace redten::lobby {
namespace {

using redten::test::WaitUntil;
using room::test::ScriptedTable;

struct Recorder final : TableStarter {
    std::vector<QStringList> started;
    void Start(const QStringList& words, std::function<void(QString)>) override { started.push_back(words); }
    int Running() const override { return 0; }
};

class LobbyWindowTest : public testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(worker_.Open(dir_.filePath("room.db"), error)) << error.toStdString();
        room::RoomOptions options;
        options.botsPerTable = 0;
        options.logLevel = room::LogLevel::Error;
        options.table.botPauseMs = 0;
        room_ = std::make_unique<room::RoomServer>(options, worker_);
        ASSERT_TRUE(room_->Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }
    std::unique_ptr<LobbyWindow> Lobby(const QString& name, Recorder& recorder) {
        auto lobby = std::make_unique<LobbyWindow>(recorder, QString());
        lobby->SetName(name);
        lobby->AddRoom(QStringLiteral("测试房间"), QStringLiteral("127.0.0.1"), room_->Port());
        lobby->show();
        return lobby;
    }
    static QString ChairName(LobbyWindow& lobby, int table, int chair) {
        const auto& tables = lobby.Tables().Tables();
        return table < static_cast<int>(tables.size()) ? tables[table].chairs[chair].name : QString();
    }
    // The scripted table that takes the reservation a lobby just made.
    std::unique_ptr<ScriptedTable> Arrive(const std::string& name) {
        auto table = std::make_unique<ScriptedTable>(name, room_->Port());
        EXPECT_TRUE(table->Connect());
        return table;
    }

    QTemporaryDir dir_;
    room::StoreWorker worker_;
    std::unique_ptr<room::RoomServer> room_;
};

TEST_F(LobbyWindowTest, AChosenChairIsTakenWatchedAndItsGameReplayed) {
    ScriptedTable first("张三", room_->Port());
    ASSERT_TRUE(first.Reserve()) << first.lastReply;
    ASSERT_TRUE(first.Connect());
    Recorder recorder;
    auto lobby = Lobby(QStringLiteral("李四"), recorder);
    ASSERT_TRUE(WaitUntil([&] { return ChairName(*lobby, 0, 0) == QStringLiteral("张三"); }, 8000));
    EXPECT_TRUE(lobby->Rooms().topLevelItem(0)->text(2).startsWith(QStringLiteral("1")));

    // By the keys: the next chair, then Enter.
    lobby->Tables().setFocus();
    QTest::keyClick(&lobby->Tables(), Qt::Key_Right);
    QTest::keyClick(&lobby->Tables(), Qt::Key_Return);
    ASSERT_TRUE(WaitUntil([&] { return recorder.started.size() == 1; }, 5000)) << lobby->Status().toStdString();
    EXPECT_EQ(recorder.started[0].value(1), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(recorder.started[0].value(2), QString::number(room_->Port()));
    EXPECT_EQ(recorder.started[0].value(7), QStringLiteral("李四"));
    auto second = Arrive("李四");
    ASSERT_TRUE(WaitUntil([&] { return second->seat >= 0; }));
    EXPECT_EQ(second->seat, 1);

    // Another lobby sees the chair taken, and is told so if it asks anyway.
    Recorder otherRecorder;
    auto other = Lobby(QStringLiteral("王五"), otherRecorder);
    ASSERT_TRUE(WaitUntil([&] { return ChairName(*other, 0, 1) == QStringLiteral("李四"); }, 8000));
    other->SitAt(1, 1);
    ASSERT_TRUE(WaitUntil([&] { return other->Status().contains(QStringLiteral("已经有人")); }));
    EXPECT_TRUE(otherRecorder.started.empty());
    other->SitAt(1, 2);
    ASSERT_TRUE(WaitUntil([&] { return otherRecorder.started.size() == 1; }));
    auto third = Arrive("王五");
    ScriptedTable fourth("赵六", room_->Port());
    ASSERT_TRUE(fourth.Reserve()) << fourth.lastReply;
    ASSERT_TRUE(fourth.Connect());
    ASSERT_TRUE(WaitUntil([&] { return first.gamesOver == 1 && fourth.gamesOver == 1; }, 20000));

    // Watching a chosen player, under a name not at the table.
    other->SetName(QStringLiteral("孙七"));
    other->Tables().SetCurrent(TablesView::Spot{0, 0});
    other->Tables().Activate();
    ASSERT_TRUE(WaitUntil([&] { return otherRecorder.started.size() == 2; })) << other->Status().toStdString();
    EXPECT_EQ(otherRecorder.started[1].value(7), QStringLiteral("孙七"));

    // A table of one's own, with two strong computer players.
    other->NewTable(2, QStringLiteral("strong"));
    ASSERT_TRUE(WaitUntil([&] { return otherRecorder.started.size() == 3; })) << other->Status().toStdString();
    auto own = Arrive("孙七");
    ASSERT_TRUE(WaitUntil([&] {
        const auto& tables = other->Tables().Tables();
        return tables.size() == 2 && tables[1].chairs[0].name == QStringLiteral("孙七") &&
               tables[1].chairs[1].computer && tables[1].chairs[1].level == QStringLiteral("strong") &&
               tables[1].chairs[2].computer && tables[1].chairs[3].name.isEmpty();
    }, 8000));

    // The game just played is among 李四's games, and replays.
    ASSERT_TRUE(WaitUntil([&] { return lobby->Games().topLevelItemCount() == 1; }, 15000));
    lobby->Games().setCurrentItem(lobby->Games().topLevelItem(0));
    lobby->Replay(lobby->Games().topLevelItem(0)->data(0, Qt::UserRole).toLongLong());
    ASSERT_TRUE(WaitUntil([&] { return recorder.started.size() == 2; })) << lobby->Status().toStdString();
    EXPECT_GE(lobby->Standings().topLevelItemCount(), 4);

    // What the window looks like, at 1×, 1.5× and 2×, to be looked at: the
    // room's table and two more as a busier room would list them.
    QDir().mkpath(REDTEN_SNAPSHOT_DIR);
    lobby->resize(1180, 720);
    std::vector<LiveTable> tables = lobby->Tables().Tables();
    tables.resize(1);
    LiveTable playing{2, true, {}, {QStringLiteral("周八")}};
    playing.chairs = {Chair{QStringLiteral("吴九"), false, {}}, Chair{QStringLiteral("电脑高手甲2"), true, "strong"},
                      Chair{QStringLiteral("郑十"), false, {}}, Chair{QStringLiteral("电脑高手丙2"), true, "strong"}};
    LiveTable waiting{3, false, {}, {}};
    waiting.chairs[1] = Chair{QStringLiteral("电脑新手乙3"), true, "basic"};
    tables.push_back(playing);
    tables.push_back(waiting);
    lobby->Tables().SetTables(tables);
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        QPixmap shot(lobby->size() * ratio);
        shot.setDevicePixelRatio(ratio);
        lobby->render(&shot);
        shot.save(QStringLiteral("%1/lobby-%2x.png").arg(REDTEN_SNAPSHOT_DIR).arg(ratio));
    }
}

// The LAN's rooms arrive one by one, and again every few seconds: each is
// listed once, with its latest figures.
TEST_F(LobbyWindowTest, RoomsFoundOneAfterAnotherAreEachListedOnce) {
    Recorder recorder;
    auto lobby = Lobby(QStringLiteral("甲"), recorder);
    for (int round = 0; round < 2; ++round) {
        for (int i = 1; i <= 40; ++i) {
            lobby->FoundRoom(QStringLiteral("局域网：房%1").arg(i), QStringLiteral("10.0.0.%1").arg(i), 27100,
                             i + round, 4 * i);
        }
    }
    ASSERT_EQ(lobby->Rooms().topLevelItemCount(), 41);
    EXPECT_EQ(lobby->Rooms().topLevelItem(40)->text(2), QStringLiteral("41"));
}

TEST(TablesViewTest, KeysStayWithinTheChairsAndEachChairSaysWhatItCanDo) {
    LiveTable waiting{4, false, {}, {}};
    waiting.chairs[0] = Chair{QStringLiteral("张三"), false, {}};
    waiting.chairs[1] = Chair{QStringLiteral("电脑新手乙4"), true, "basic"};
    LiveTable playing{7, true, {}, {}};
    TablesView view;
    view.resize(250, 500);  // one table a row
    view.SetTables({waiting, playing});
    std::vector<QString> said;
    QObject::connect(&view, &TablesView::SitRequested,
                     [&](int table, int chair) { said.push_back(QStringLiteral("坐%1/%2").arg(table).arg(chair)); });
    QObject::connect(&view, &TablesView::WatchRequested, [&](const QString& who) { said.push_back(who); });
    QObject::connect(&view, &TablesView::Told, [&](const QString&) { said.push_back(QStringLiteral("不行")); });

    QTest::keyClick(&view, Qt::Key_Left);  // already the first chair
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Right);
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Down);  // the same chair of the table below
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Down);  // no table further down: the last chair
    ASSERT_TRUE(view.Current());
    EXPECT_EQ(view.Current()->table, 1);
    EXPECT_EQ(view.Current()->chair, 3);
    EXPECT_EQ(said, (std::vector<QString>{QStringLiteral("张三"), QStringLiteral("不行"), QStringLiteral("坐4/2"),
                                          QStringLiteral("不行")}));
    view.SetTables({playing});  // the chosen table went: the first chair of what is left
    EXPECT_EQ(view.Current()->table, 0);
}

TEST(RoomListingTest, ForeignOrOversizedDocumentsAreRefusedAndBoundsHold) {
    EXPECT_FALSE(ReadTables("{\"version\":2,\"tables\":[]}"));
    EXPECT_FALSE(ReadTables("not json"));
    EXPECT_FALSE(ReadTables(QByteArray(5 * 1024 * 1024, ' ')));
    QByteArray many = "{\"version\":1,\"tables\":[";
    for (int i = 1; i <= kMaxTables + 5; ++i) {
        many += (i > 1 ? "," : "") + QByteArray("{\"number\":") + QByteArray::number(i) +
                ",\"seats\":[{\"name\":\"" + QByteArray(100, 'x') + "\"},null,null,null,null]}";
    }
    many += "]}";
    const auto read = ReadTables(many);
    ASSERT_TRUE(read);
    ASSERT_EQ(static_cast<int>(read->tables.size()), kMaxTables);
    EXPECT_EQ(read->tables[0].chairs[0].name.size(), kMaxName);
    EXPECT_TRUE(read->tables[0].chairs[1].name.isEmpty());
}

}  // namespace
}  // namespace redten::lobby
