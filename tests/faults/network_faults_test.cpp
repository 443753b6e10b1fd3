// Links that misbehave in the middle of games: a player that stops reading,
// a network that hands over one byte at a time, a player that drops and
// comes back, and a crowd that comes and goes while games run.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>

#include "faults/fault_support.h"
#include "support/room_server.h"
#include "support/scripted_table.h"
#include "wire/client_messages.h"
#include "wire/framing.h"
#include "wire/handshake.h"
#include "wire/message.h"

namespace redten::faults {
namespace {

using room::test::ScriptedTable;
using test::ToByteArray;
using test::WaitUntil;

std::unique_ptr<ScriptedTable> Join(const std::string& name, quint16 port, int games = 1) {
    auto t = std::make_unique<ScriptedTable>(name, port);
    t->gamesWanted = games;
    EXPECT_TRUE(t->Reserve()) << name << ": " << t->lastReply;
    EXPECT_TRUE(t->Connect());
    return t;
}

bool Saw(const ScriptedTable& t, std::uint8_t code, std::uint8_t sub, const std::string& name) {
    for (const Bytes& m : t.Of(code)) {
        if (m.size() > 2 && m[1] == sub && GetTextFromBytes(m, 2) == name) {
            return true;
        }
    }
    return false;
}

bool Any(const ScriptedTable& t, std::uint8_t code, std::uint8_t sub) {
    const auto of = t.Of(code);
    return std::any_of(of.begin(), of.end(), [&](const Bytes& m) { return m.size() > 1 && m[1] == sub; });
}

bool AllPlayed(const std::vector<std::unique_ptr<ScriptedTable>>& tables, int games) {
    return std::all_of(tables.begin(), tables.end(), [&](const auto& t) { return t->gamesOver >= games; });
}

// A player stops reading in the middle of a game while the table talks: its
// backlog fills, the room lets it go, the game is settled as its escape and
// the table fills up again and plays on.
TEST(SlowPeer, APlayerThatStopsReadingInAGameIsLetGoAndTheTablePlaysOn) {
    room::RoomOptions options = LocalRoom::QuickOptions(/*bots=*/2);
    options.maxPendingOutput = 64 * 1024;
    options.table.dropGraceMs = 1000;
    LocalRoom room(options);
    auto talker = Join("甲", room.Port(), 2);
    auto sleeper = std::make_unique<ScriptedTable>("乙", room.Port());
    sleeper->holdPlays = true;  // the game waits for it while it sleeps
    sleeper->SetReceiveBuffer(4096);
    ASSERT_TRUE(sleeper->Reserve());
    ASSERT_TRUE(sleeper->Connect());
    ASSERT_TRUE(WaitUntil([&] { return !sleeper->Of(19).empty(); }, 10000));
    sleeper->StopReading();

    const std::string text(300, 'x');
    for (int i = 0; i < 40000 && !Saw(*talker, 108, 3, "乙"); ++i) {
        talker->Send(MakeChatLine({"", "所有人", "", "", "", "", "", "", "", text}));
        QCoreApplication::processEvents();
    }
    ASSERT_TRUE(WaitUntil([&] { return talker->gamesOver >= 1; }, 10000));
    EXPECT_EQ(talker->Of(5).size(), 1u);
    EXPECT_EQ(room.Records().LoadOrCreate("乙", false)->escapes, 1);

    auto newcomer = Join("丙", room.Port());
    ASSERT_TRUE(WaitUntil([&] { return talker->gamesOver >= 2 && newcomer->gamesOver >= 1; }, 20000));
    EXPECT_FALSE(talker->disconnected);
    EXPECT_TRUE(talker->problems.empty()) << talker->problems.front();
    EXPECT_EQ(room.Records().CountGames(), 2);
    EXPECT_EQ(room.Server().BrokenGames(), 0);
    EXPECT_TRUE(WaitUntil([&] { return room.Server().LinkCount() == 2; }));
}

// Every link, the real table's too, passes through a relay that moves one
// byte per turn of the event loop: frames arrive cut at every byte, both
// ways, and a whole game still plays to its end.
TEST(ByteAtATime, AWholeGamePlaysThroughAndTheRealTableWatchesItToTheEnd) {
    LocalRoom room(LocalRoom::QuickOptions(/*bots=*/0));
    ByteRelay relay(room.Port());
    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (const char* name : {"甲", "乙", "丙"}) {
        players.push_back(Join(name, relay.Port()));
    }
    ASSERT_EQ(LobbyLine(room.Port(), "WATCH 旁观 甲"), "OK");
    TableProcess spectator(relay.Port(), "旁观");
    ASSERT_TRUE(WaitUntil([&] { return Any(*players[0], 130, 0); }, 30000))
        << spectator.Stderr().toStdString();
    players.push_back(Join("丁", relay.Port()));

    ASSERT_TRUE(WaitUntil([&] { return AllPlayed(players, 1); }, 60000));
    for (const auto& p : players) {
        EXPECT_TRUE(p->problems.empty()) << p->problems.front();
        EXPECT_TRUE(p->Of(22).empty()) << "a play was refused";
        EXPECT_FALSE(Saw(*p, 108, 4, "旁观")) << "the real table left";
    }
    EXPECT_EQ(room.Records().CountGames(), 1);
    EXPECT_EQ(room.Server().BrokenGames(), 0);
    EXPECT_GT(relay.Forwarded(), 5000u);
    ASSERT_FALSE(spectator.Finished(0));

    // The table still owes itself the pauses of every trick the players
    // took faster than it shows them; it ends once it has caught up.
    relay.CloseAll();
    ASSERT_TRUE(spectator.Finished(30000));
    EXPECT_FALSE(spectator.Crashed());
    EXPECT_EQ(spectator.ExitCode(), 0);
}

// Drops at its own turn in the middle of a trick and comes back inside the
// grace time: the snapshot brings back the hand, the cards on the table,
// the seat to act and its clock; the grace timer is off, the room's turn
// clock is not, and the game ends as a game, not an escape.
TEST(Return, ADroppedPlayerGetsItsHandTheTrickAndTheClockBack) {
    room::RoomOptions options = LocalRoom::QuickOptions(/*bots=*/3);
    options.table.dropGraceMs = 1500;
    options.table.game.playSeconds = 1;
    options.table.turnGraceMs = 3000;
    LocalRoom room(options);
    auto first = std::make_unique<ScriptedTable>("张三", room.Port());
    first->holdPlays = true;
    ASSERT_TRUE(first->Reserve());
    ASSERT_TRUE(first->Connect());
    TrickTracker trick;
    std::size_t fed = 0;
    const auto stalled = [&] {
        for (; fed < first->received.size(); ++fed) {
            trick.Feed(first->received[fed]);
        }
        return trick.ToAct() == first->seat && (trick.Phase() == kPhaseLead || trick.Phase() == kPhaseFollow);
    };
    // One move at a time, until a card of its own has gone and it is to act again.
    ASSERT_TRUE(WaitUntil(stalled, 10000));
    for (int moves = 0; first->hand.size() == 13 && moves < 13; ++moves) {
        const std::size_t before = first->received.size();
        first->Resume();
        first->holdPlays = true;
        ASSERT_TRUE(WaitUntil([&] { return first->received.size() > before && stalled(); }, 10000));
    }
    ASSERT_LT(first->hand.size(), 13u);
    first->autoPlay = false;
    QElapsedTimer turn;
    turn.start();
    const CardList hand = first->hand;
    const int seat = first->seat;
    first->Drop();

    auto back = std::make_unique<ScriptedTable>("张三", room.Port());
    back->autoPlay = false;
    ASSERT_TRUE(back->Reserve()) << back->lastReply;
    ASSERT_TRUE(back->Connect());
    ASSERT_TRUE(WaitUntil([&] { return !back->Of(109).empty(); }));
    const Bytes m = back->Of(109).front();
    ASSERT_GT(m.size(), 31u);
    EXPECT_EQ(m[2], 1) << "no game running";
    EXPECT_EQ(m[8], options.table.game.playSeconds);
    EXPECT_EQ(m[9], seat);
    EXPECT_EQ(m[10], trick.Phase());
    std::size_t i = 31;
    for (int s = 0; s < 4; ++s) {
        ASSERT_LT(i, m.size());
        ASSERT_LE(i + 1 + m[i], m.size());
        EXPECT_EQ(CardList(m.begin() + static_cast<std::ptrdiff_t>(i + 1),
                           m.begin() + static_cast<std::ptrdiff_t>(i + 1 + m[i])),
                  trick.OnTable()[s])
            << "seat " << s;
        i += 1 + m[i];
    }
    ASSERT_LT(i, m.size());
    CardList returned(m.begin() + static_cast<std::ptrdiff_t>(i + 1), m.end());
    CardList expected = hand;
    std::sort(returned.begin(), returned.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(returned, expected);
    EXPECT_EQ(std::size_t{m[27 + seat]}, hand.size());

    // Past the grace time nothing has happened to the seat.
    WaitUntil([] { return false; }, 2000);
    EXPECT_TRUE(back->Of(5).empty());
    EXPECT_FALSE(back->disconnected);
    back->autoPlay = true;
    // The turn that was running when the player dropped is played for the
    // seat when its clock (and the room's patience) runs out, not later.
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto plays = back->Of(21);
            return std::any_of(plays.begin(), plays.end(), [&](const Bytes& p) { return p[5] == seat; });
        },
        8000));
    EXPECT_GE(turn.elapsed(), 3500);
    EXPECT_LT(turn.elapsed(), 7000);
    ASSERT_TRUE(WaitUntil([&] { return back->gamesOver >= 1; }, 20000));
    EXPECT_TRUE(back->Of(5).empty());
    EXPECT_TRUE(back->problems.empty()) << back->problems.front();
    EXPECT_EQ(room.Records().LoadOrCreate("张三", false)->escapes, 0);
    EXPECT_EQ(room.Server().BrokenGames(), 0);
}

// One of a crowd of short visitors, each from its own loopback address: it
// reserves (or only looks at the room's page, or opens a table link and
// gives up), greets, takes its welcome and goes.
class Visitor {
public:
    Visitor(quint16 port, QHostAddress from, int kind, std::string name, std::string watched)
        : port_(port), from_(std::move(from)), kind_(kind), name_(std::move(name)), watched_(std::move(watched)) {
        QObject::connect(&lobby_, &QTcpSocket::connected, [this] {
            lobby_.write(kind_ == 3 ? QByteArray("GET /adv/KOVA/ga.htm HTTP/1.0\r\n\r\n")
                                    : QByteArray::fromStdString(
                                          (kind_ == 1 ? "WATCH " + name_ + " " + watched_ : "SIT " + name_) + "\n"));
        });
        QObject::connect(&lobby_, &QTcpSocket::readyRead, [this] { OnLobbyReply(); });
        QObject::connect(&link_, &QTcpSocket::connected, [this] {
            if (kind_ == 2) {
                link_.write(QByteArray::fromHex("0000"));  // half a frame header, then nothing
                link_.abort();
                done = true;
                return;
            }
            link_.write(ToByteArray(EncodeFrame(MakeHandshake(1))));
        });
        QObject::connect(&link_, &QTcpSocket::readyRead, [this] { OnWelcome(); });
        QObject::connect(&link_, &QTcpSocket::disconnected, [this] { done = true; });
        if (kind_ == 2) {
            link_.bind(from_, 0);
            link_.connectToHost(QHostAddress::LocalHost, port_);
        } else {
            lobby_.bind(from_, 0);
            lobby_.connectToHost(QHostAddress::LocalHost, port_);
        }
    }

    bool done = false;
    bool failed = false;

private:
    void OnLobbyReply() {
        reply_ += lobby_.readAll();
        if (kind_ == 3) {
            done = reply_.startsWith("HTTP/1.0 200") && reply_.endsWith("</html>");
            return;
        }
        if (!reply_.contains('\n')) {
            return;
        }
        if (!reply_.startsWith("OK")) {
            failed = done = true;
            return;
        }
        link_.bind(from_, 0);
        link_.connectToHost(QHostAddress::LocalHost, port_);
    }
    void OnWelcome() {
        link_.readAll();
        if (welcomed_) {
            return;
        }
        welcomed_ = true;
        if (kind_ == 0) {
            link_.write(ToByteArray(EncodeFrame(MakeLeaveTable(name_))));  // the room closes the link
        } else {
            link_.abort();
            done = true;
        }
    }

    quint16 port_;
    QHostAddress from_;
    int kind_;
    std::string name_, watched_;
    QTcpSocket lobby_, link_;
    QByteArray reply_;
    bool welcomed_ = false;
};

TEST(Crowd, AHundredVisitorsComeAndGoWhileGamesRunAndTheRoomForgetsThemAll) {
    if (!SecondLoopbackWorks()) {
        GTEST_SKIP() << "no second loopback address here";
    }
    room::RoomOptions options = LocalRoom::QuickOptions(/*bots=*/3);
    options.table.botPauseMs = 15;  // games long enough to overlap the crowd
    LocalRoom room(options);
    std::vector<std::unique_ptr<ScriptedTable>> players;
    for (int i = 0; i < 3; ++i) {
        players.push_back(Join("玩家" + std::to_string(i), room.Port(), 3));
    }
    ASSERT_TRUE(WaitUntil([&] { return room.Server().TableCount() == 3; }));
    const std::size_t baseline = room.Server().LinkCount();

    qint64 slowest = 0;
    for (int round = 0; round < 3; ++round) {
        std::vector<std::unique_ptr<Visitor>> crowd;
        for (int i = 0; i < 100; ++i) {
            crowd.push_back(std::make_unique<Visitor>(
                room.Port(), QHostAddress(QStringLiteral("127.0.0.%1").arg(2 + i)), i % 4,
                "客" + std::to_string(round) + "_" + std::to_string(i), "玩家" + std::to_string(i % 3)));
        }
        // The room answers somebody else while the crowd is at the door.
        QElapsedTimer answer;
        answer.start();
        EXPECT_EQ(LobbyLine(room.Port(), "GET /x").rfind("HTTP/1.", 0), 0u);
        slowest = std::max(slowest, answer.elapsed());
        ASSERT_TRUE(WaitUntil(
            [&] { return std::all_of(crowd.begin(), crowd.end(), [](const auto& v) { return v->done; }); },
            20000));
        EXPECT_EQ(std::count_if(crowd.begin(), crowd.end(), [](const auto& v) { return v->failed; }), 0);
    }
    EXPECT_LT(slowest, 2000);

    ASSERT_TRUE(WaitUntil([&] { return AllPlayed(players, 3); }, 60000));
    EXPECT_TRUE(WaitUntil([&] {
        return room.Server().LinkCount() == baseline && room.Server().TableCount() == players.size();
    }));
    for (const auto& p : players) {
        EXPECT_TRUE(p->problems.empty()) << p->problems.front();
        EXPECT_FALSE(p->disconnected);
    }
    EXPECT_EQ(room.Records().CountGames(), 9);
    EXPECT_EQ(room.Server().BrokenGames(), 0);
}

}  // namespace
}  // namespace redten::faults
