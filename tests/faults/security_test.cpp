// What a peer must not get from the room however it asks: another
// player's hidden cards, somebody else's reservation, or the room's memory.
#include <gtest/gtest.h>

#include <numeric>

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

// Card bytes other than 255 in the hands a spectator was sent, from the
// message at index `from` on: deals (19), hands (2) and snapshots (109).
int VisibleCards(const ScriptedTable& t, std::size_t from = 0) {
    int visible = 0;
    for (std::size_t k = from; k < t.received.size(); ++k) {
        const Bytes& m = t.received[k];
        std::size_t i = m.size();
        if (m[0] == 19) {
            i = 2;
        } else if (m[0] == 2 && m.size() >= 3) {
            i = 3;
        } else if (m[0] == 109 && m.size() > 31 && m[2] != 0) {
            i = 31;
            for (int s = 0; s < 4 && i < m.size(); ++s) {
                i += 1 + m[i];
            }
            ++i;
        }
        for (; i < m.size(); ++i) {
            visible += m[i] != 255 ? 1 : 0;
        }
    }
    return visible;
}

TEST(HiddenCards, NoSpectatorSeesThemHoweverItAsksAndOnlyTheOwnerLiftsTheCover) {
    room::RoomOptions options = LocalRoom::QuickOptions(/*bots=*/3);
    LocalRoom room(options);
    ScriptedTable player("张三", room.Port());
    player.holdPlays = true;  // the game waits at the player's first turn
    ASSERT_TRUE(player.Reserve());
    ASSERT_TRUE(player.Connect(/*allowWatch=*/false));
    ASSERT_TRUE(WaitUntil([&] { return !player.Of(19).empty(); }));
    player.autoPlay = false;

    ScriptedTable watcher("看客", room.Port());
    ASSERT_TRUE(watcher.Reserve("张三"));
    ASSERT_TRUE(watcher.Connect());
    ASSERT_TRUE(WaitUntil([&] { return !watcher.Of(109).empty(); }));
    // Asking for hands, speaking in the player's name, playing its cards.
    for (std::uint8_t seat = 0; seat < 4; ++seat) {
        watcher.Send(MakeHandRequest(seat));
        watcher.Send(MakePlay(seat, player.hand));
    }
    watcher.Send(MakeWatchSetting("张三", 1));
    watcher.Send(MakeChatLine({"张三", "所有人", "", "", "", "", "", "", "", "x"}));
    ScriptedTable second("路人", room.Port());
    ASSERT_TRUE(second.Reserve("张三"));
    ASSERT_TRUE(second.Connect());
    ASSERT_TRUE(WaitUntil([&] { return !second.Of(109).empty() && watcher.Of(1).size() == 1; }));
    EXPECT_EQ(VisibleCards(watcher), 0);
    EXPECT_EQ(VisibleCards(second), 0);
    EXPECT_TRUE(watcher.Of(113).empty());
    EXPECT_EQ(GetTextFromBytes(watcher.Of(1).front(), 1).rfind("看客`", 0), 0u) << "the chat kept a forged sender";

    // The player itself shows the cards, then covers them again.
    player.Send(MakeWatchSetting("张三", 1));
    ASSERT_TRUE(WaitUntil([&] { return VisibleCards(watcher) > 0; }));
    const std::size_t covered = watcher.received.size();
    player.Send(MakeWatchSetting("张三", 0));
    ASSERT_TRUE(WaitUntil([&] { return watcher.Of(113).size() == 2 && watcher.Of(2).size() >= 2; }));
    EXPECT_EQ(watcher.Of(113).back(), (Bytes{113, 0, 0}));
    EXPECT_EQ(VisibleCards(watcher, covered), 0);
    ScriptedTable late("迟到", room.Port());
    ASSERT_TRUE(late.Reserve("张三"));
    ASSERT_TRUE(late.Connect());
    ASSERT_TRUE(WaitUntil([&] { return !late.Of(109).empty(); }));
    EXPECT_EQ(VisibleCards(late), 0);
}

bool Welcomed(QTcpSocket& link, const std::string& name) {
    FrameDecoder decoder;
    return WaitUntil([&] {
        const QByteArray data = link.readAll();
        decoder.feed(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size()));
        while (decoder.hasMessage()) {
            const Bytes m = decoder.takeMessage();
            if (m.size() > 2 && m[0] == 130 && m[1] == 3) {
                return GetTextFromBytes(m, 2).rfind(name + "`", 0) == 0;
            }
        }
        return false;
    });
}

TEST(Reservations, AreClaimedOnlyFromTheAddressThatMadeThem) {
    if (!SecondLoopbackWorks()) {
        GTEST_SKIP() << "no second loopback address here";
    }
    LocalRoom room(LocalRoom::QuickOptions(/*bots=*/3));
    const QHostAddress here(QHostAddress::LocalHost), there(QStringLiteral("127.0.0.2"));
    const QByteArray greeting = ToByteArray(EncodeFrame(MakeHandshake(1)));

    ASSERT_EQ(LobbyLine(room.Port(), "SIT 张三", here), "OK");
    auto thief = TableLink(room.Port(), there);
    ASSERT_TRUE(thief);
    thief->write(greeting);
    EXPECT_TRUE(LinkEnded(*thief));
    auto owner = TableLink(room.Port(), here);
    ASSERT_TRUE(owner);
    owner->write(greeting);
    EXPECT_TRUE(Welcomed(*owner, "张三"));

    // The same the other way round, for a place to watch.
    ASSERT_EQ(LobbyLine(room.Port(), "WATCH 看客 张三", there), "OK");
    auto other = TableLink(room.Port(), here);
    ASSERT_TRUE(other);
    other->write(greeting);
    EXPECT_TRUE(LinkEnded(*other));
    auto watcher = TableLink(room.Port(), there);
    ASSERT_TRUE(watcher);
    watcher->write(greeting);
    EXPECT_TRUE(Welcomed(*watcher, "看客"));
    EXPECT_TRUE(WaitUntil([&] { return room.Server().LinkCount() == 2; }));
}

// A seat whose link dropped shows its hand to whoever takes it: it goes
// back only to the address that held it or to the holder of the name's
// secret, and a pending reservation stays with the address that made it.
TEST(Reservations, ADroppedSeatGoesBackOnlyToItsAddressOrItsSecret) {
    if (!SecondLoopbackWorks()) {
        GTEST_SKIP() << "no second loopback address here";
    }
    LocalRoom room(LocalRoom::QuickOptions(/*bots=*/3));
    const QHostAddress there(QStringLiteral("127.0.0.2"));
    const QByteArray greeting = ToByteArray(EncodeFrame(MakeHandshake(1)));
    ScriptedTable guarded("张三", room.Port()), open("李四", room.Port());
    guarded.secret = "芝麻开门";
    for (ScriptedTable* t : {&guarded, &open}) {
        t->holdPlays = true;  // each game waits for its person, who drops
        ASSERT_TRUE(t->Reserve()) << t->lastReply;
        ASSERT_TRUE(t->Connect(/*allowWatch=*/false));
        ASSERT_TRUE(WaitUntil([&] { return !t->Of(19).empty(); }));
        t->Drop();
    }
    ASSERT_TRUE(WaitUntil([&] { return room.Server().LinkCount() == 0; }));

    for (const char* line : {"SIT 张三", "SIT 张三 猜一个", "SIT 李四", "SIT 李四 新密码", "WATCH 张三 李四 芝麻开门"}) {
        EXPECT_EQ(LobbyLine(room.Port(), line, there).rfind("ERR ", 0), 0u) << line;
    }
    // The secret brings 张三 back from anywhere, to the hand as it stands.
    ASSERT_EQ(LobbyLine(room.Port(), "SIT 张三 芝麻开门", there), "OK");
    auto back = TableLink(room.Port(), there);
    ASSERT_TRUE(back);
    back->write(greeting);
    EXPECT_TRUE(Welcomed(*back, "张三"));
    // 李四 had no secret: the address that held the seat gets it back.
    ASSERT_EQ(LobbyLine(room.Port(), "SIT 李四"), "OK");

    ASSERT_EQ(LobbyLine(room.Port(), "SIT 王五"), "OK");
    EXPECT_EQ(LobbyLine(room.Port(), "SIT 王五", there).rfind("ERR ", 0), 0u);
    EXPECT_EQ(room.Records().SecretOf("李四").hash, std::nullopt);
    EXPECT_TRUE(room.Records().SecretOf("张三").hash.has_value());
}

// Writes chunk after chunk to every link until each has taken total bytes
// or the room ended it; returns how many bytes went out in all.
qint64 Pour(const std::vector<QTcpSocket*>& links, qint64 total, const QByteArray& chunk) {
    std::vector<qint64> written(links.size(), 0);
    WaitUntil(
        [&] {
            bool done = true;
            for (std::size_t i = 0; i < links.size(); ++i) {
                QTcpSocket& link = *links[i];
                while (written[i] < total && link.state() == QAbstractSocket::ConnectedState &&
                       link.bytesToWrite() < 256 * 1024) {
                    link.write(chunk);
                    written[i] += chunk.size();
                }
                if (link.isOpen()) {
                    link.readAll();
                }
                done = done && (link.state() != QAbstractSocket::ConnectedState ||
                                (written[i] >= total && link.bytesToWrite() == 0));
            }
            return done;
        },
        30000);
    return std::accumulate(written.begin(), written.end(), qint64{0});
}

// The real room, its memory watched by the kernel, against links that
// announce frames beyond the limit, bury it in keep-alives, send a lobby
// line without end or a flood of tiny messages. Each is refused or dropped,
// the room keeps far less than it was sent, and a game still plays.
TEST(Floods, OversizeFramesAndEndlessStreamsAreRefusedWithoutGrowingTheRoom) {
    RoomProcess room({"--bots", "3", "--bot-pause-ms", "0", "--bot-quiet-ms", "0", "--seed", "9"});
    ASSERT_NE(room.Port(), 0);
    {
        ScriptedTable warmUp("热身", room.Port());
        ASSERT_TRUE(warmUp.Reserve());
        ASSERT_TRUE(warmUp.Connect());
        ASSERT_TRUE(WaitUntil([&] { return warmUp.gamesOver >= 1; }, 20000));
    }
    const qint64 before = room.PeakRssKb();
    ASSERT_GT(before, 0);

    // Lengths past the room's limit end the link before any body is read.
    // (A table's first byte is 0, so no table frame is longer than 16 MiB.)
    for (const char* header : {"00010001", "00100000", "00ffffff"}) {
        auto link = TableLink(room.Port());
        ASSERT_TRUE(link);
        link->write(QByteArray::fromHex(header));
        EXPECT_TRUE(LinkEnded(*link)) << header;
    }
    {
        // Keep-alives carry nothing and are kept nowhere, however fast they
        // come on however many links; what follows them is no greeting.
        std::vector<std::unique_ptr<QTcpSocket>> links;
        for (int i = 0; i < 4; ++i) {
            links.push_back(TableLink(room.Port()));
            ASSERT_TRUE(links.back());
        }
        std::vector<QTcpSocket*> raw;
        for (const auto& l : links) {
            raw.push_back(l.get());
        }
        EXPECT_EQ(Pour(raw, 32 << 20, QByteArray(1 << 20, '\0')), 128 << 20);
        for (const auto& l : links) {
            l->write(ToByteArray(EncodeFrame({21, 0, 0, 0, 0, 0, 1, 5})));
            EXPECT_TRUE(LinkEnded(*l));
        }
    }
    {
        auto lobby = TableLink(room.Port());
        ASSERT_TRUE(lobby);
        Pour({lobby.get()}, 16 << 20, QByteArray(1 << 20, 'A'));
        EXPECT_TRUE(LinkEnded(*lobby));
    }
    {
        // Greeted and seated, then more tiny messages than any table sends,
        // with a chat of sixty thousand fields among them.
        ASSERT_EQ(LobbyLine(room.Port(), "SIT 洪水"), "OK");
        auto link = TableLink(room.Port());
        ASSERT_TRUE(link);
        link->write(ToByteArray(EncodeFrame(MakeHandshake(1))));
        ASSERT_TRUE(Welcomed(*link, "洪水"));
        Bytes chat(60001, '`');
        chat[0] = 1;
        link->write(ToByteArray(EncodeFrame(chat)));
        QByteArray acks;
        for (int i = 0; i < 8192; ++i) {
            acks += ToByteArray(EncodeFrame({19, 0}));
        }
        Pour({link.get()}, 16 << 20, acks);
        link->abort();
    }

    ScriptedTable after("之后", room.Port());
    ASSERT_TRUE(after.Reserve()) << after.lastReply;
    ASSERT_TRUE(after.Connect());
    ASSERT_TRUE(WaitUntil([&] { return after.gamesOver >= 1; }, 20000));
    EXPECT_TRUE(after.problems.empty());
    const qint64 grown = room.PeakRssKb() - before;
    RecordProperty("room_grew_kb", static_cast<int>(grown));
    EXPECT_LT(grown, 8 * 1024) << "the room grew by " << grown << " kB";
}

}  // namespace
}  // namespace redten::faults
