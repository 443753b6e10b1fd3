#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "components/room_socket.h"
#include "startup/message_pump.h"
#include "support/room_server.h"
#include "wire/framing.h"

namespace redten {
namespace {

using test::TestRoomServer;
using test::ToByteArray;
using test::WaitUntil;

// Records what the socket reports.
struct Events {
    explicit Events(RoomLink& link) {
        QObject::connect(&link, &RoomLink::Connected, [this] { ++connected; });
        QObject::connect(&link, &RoomLink::DataArrival,
                         [this](const Bytes& m) { messages.push_back(m); });
        QObject::connect(&link, &RoomLink::Closed, [this] { ++closed; });
        QObject::connect(&link, &RoomLink::Error, [this] { ++errors; });
    }
    int ends() const { return closed + errors; }
    int connected = 0, closed = 0, errors = 0;
    std::vector<Bytes> messages;
};

class RoomSocketTest : public testing::Test {
protected:
    void Link() {
        socket_.Connect("127.0.0.1", server_.port(), 120);
        ASSERT_TRUE(server_.WaitForClient());
        ASSERT_TRUE(WaitUntil([&] { return events_.connected == 1; }));
    }
    // Lets queued events run for a moment, to catch anything extra.
    static void Settle() { WaitUntil([] { return false; }, 100); }

    TestRoomServer server_;
    RoomSocket socket_;
    Events events_{socket_};
};

TEST_F(RoomSocketTest, MessageWrittenInManyPiecesArrivesWhole) {
    Link();
    EXPECT_TRUE(socket_.SendsAtOnce());
    const Bytes message{21, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    const QByteArray frame = ToByteArray(EncodeFrame(message));
    for (char byte : frame) {
        server_.WriteRaw(QByteArray(1, byte));
        WaitUntil([] { return false; }, 2);
    }
    ASSERT_TRUE(WaitUntil([&] { return events_.messages.size() == 1; }));
    EXPECT_EQ(events_.messages[0], message);
}

TEST_F(RoomSocketTest, AQuietLinkSendsEmptyFramesAfterItsLastMessage) {
    socket_.SetBeatInterval(100);
    Link();
    socket_.Send({19, 0});
    ASSERT_TRUE(server_.WaitForBytes(6 + 4 + 4, 3000));
    EXPECT_EQ(server_.received().mid(6, 8), QByteArray(8, '\0'));
}

TEST_F(RoomSocketTest, SeveralMessagesInOneWriteArriveInOrderAndKeepAlivesDoNot) {
    Link();
    server_.WriteRaw(ToByteArray(KeepAliveFrame()) + ToByteArray(EncodeFrame({130, 3, 'a'})) +
                     ToByteArray(KeepAliveFrame()) + ToByteArray(EncodeFrame({17})) +
                     ToByteArray(EncodeFrame({108, 6})));
    ASSERT_TRUE(WaitUntil([&] { return events_.messages.size() == 3; }));
    Settle();
    EXPECT_EQ(events_.messages, (std::vector<Bytes>{{130, 3, 'a'}, {17}, {108, 6}}));
}

TEST_F(RoomSocketTest, OversizeFrameEndsTheLinkWithOneError) {
    Link();
    server_.WriteRaw(ToByteArray(EncodeFrame({22, 1})) + QByteArray::fromHex("00100001") +
                     QByteArray(64, 'x'));
    ASSERT_TRUE(WaitUntil([&] { return events_.ends() == 1; }));
    Settle();
    EXPECT_EQ(events_.errors, 1);
    EXPECT_EQ(events_.closed, 0);
    EXPECT_EQ(events_.messages, std::vector<Bytes>{(Bytes{22, 1})});
    EXPECT_TRUE(WaitUntil([&] { return server_.ClientDisconnected(); }));
}

TEST_F(RoomSocketTest, RoomClosingDeliversWhatItSentThenOneEnd) {
    Link();
    server_.WriteFrame({23, 9});
    server_.CloseClient();
    ASSERT_TRUE(WaitUntil([&] { return events_.ends() == 1; }));
    Settle();
    EXPECT_EQ(events_.ends(), 1);
    EXPECT_EQ(events_.messages, std::vector<Bytes>{(Bytes{23, 9})});
}

TEST_F(RoomSocketTest, ResetMidFrameGivesOneEndAndNoPartMessage) {
    Link();
    server_.WriteRaw(QByteArray::fromHex("0000000a0102"));
    server_.CloseClient();
    ASSERT_TRUE(WaitUntil([&] { return events_.ends() == 1; }));
    Settle();
    EXPECT_EQ(events_.ends(), 1);
    EXPECT_TRUE(events_.messages.empty());
}

TEST_F(RoomSocketTest, SendsBeforeTheLinkIsUpFollowTheGreetingInOrder) {
    socket_.Send({1, 'a'});
    socket_.Send({1, 'b'});
    QObject::connect(&socket_, &RoomLink::Connected, [&] { socket_.Send({130, 0}); });
    socket_.Connect("127.0.0.1", server_.port(), 120);
    const QByteArray expected = ToByteArray(EncodeFrame({130, 0})) +
                                ToByteArray(EncodeFrame({1, 'a'})) +
                                ToByteArray(EncodeFrame({1, 'b'}));
    ASSERT_TRUE(server_.WaitForBytes(static_cast<int>(expected.size())));
    EXPECT_EQ(server_.received(), expected);
}

TEST_F(RoomSocketTest, MessagesArrivingWhileAHandlerWaitsAreHandledInsideTheWait) {
    Link();
    MessagePump pump([] { return false; });
    std::vector<std::string> log;
    QObject::connect(&socket_, &RoomLink::DataArrival, [&](const Bytes& m) {
        log.push_back("begin " + std::to_string(m[0]));
        if (m[0] == 1) {
            // The room sends the next message while this handler waits.
            QTimer::singleShot(20, [&] { server_.WriteFrame({2}); });
            pump.WaitTime(300);
        }
        log.push_back("end " + std::to_string(m[0]));
    });
    server_.WriteFrame({1});
    ASSERT_TRUE(WaitUntil([&] { return log.size() == 4; }));
    EXPECT_EQ(log, (std::vector<std::string>{"begin 1", "begin 2", "end 2", "end 1"}));
}

TEST_F(RoomSocketTest, ABurstOfMessagesNestsOnlySoDeepAndAllArriveInOrder) {
    Link();
    MessagePump pump([] { return false; });
    int depth = 0, deepest = 0;
    std::vector<int> order;
    QObject::connect(&socket_, &RoomLink::DataArrival, [&](const Bytes& m) {
        ++depth;
        deepest = std::max(deepest, depth);
        order.push_back(m[1] * 256 + m[2]);
        pump.WaitTime(5);  // every message pauses, as a won trick does
        --depth;
    });
    QByteArray burst;
    constexpr int kCount = 3000;
    for (int i = 0; i < kCount; ++i) {
        burst += ToByteArray(EncodeFrame({21, static_cast<std::uint8_t>(i / 256),
                                          static_cast<std::uint8_t>(i % 256)}));
    }
    server_.WriteRaw(burst);
    ASSERT_TRUE(WaitUntil([&] { return order.size() == kCount; }, 60000));
    EXPECT_LE(deepest, RoomSocket::kMaxNesting);
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(order[i], i);
    }
}

TEST_F(RoomSocketTest, TheEndOvertakesHandlersStackedBeyondTheLimit) {
    Link();
    // Every notice waits, as a modal box does, until the table unloads.
    bool unloaded = false;
    MessagePump pump([&] { return unloaded; });
    int waiting = 0;
    QObject::connect(&socket_, &RoomLink::DataArrival, [&](const Bytes&) {
        if (++waiting == RoomSocket::kMaxNesting) {
            server_.CloseClient();  // the room goes while the boxes stack
        }
        pump.WaitTime(60000);
        --waiting;
    });
    QObject::connect(&socket_, &RoomLink::Closed, [&] { unloaded = true; });
    QByteArray notices;
    for (int i = 0; i < 3 * RoomSocket::kMaxNesting; ++i) {
        notices += ToByteArray(EncodeFrame({22, 'x'}));
    }
    QElapsedTimer took;
    took.start();
    server_.WriteRaw(notices);
    ASSERT_TRUE(WaitUntil([&] { return events_.closed == 1 && waiting == 0; }, 10000));
    EXPECT_LT(took.elapsed(), 5000);
    Settle();
    EXPECT_EQ(events_.messages.size(), std::size_t{RoomSocket::kMaxNesting});
}

TEST_F(RoomSocketTest, OurOwnCloseSendsTheLastWordsAndHearsNothingMore) {
    Link();
    socket_.Send({110, 0, 'a'});
    socket_.Close();
    server_.WriteFrame({22, 'y'});
    EXPECT_TRUE(server_.WaitForBytes(7));
    EXPECT_TRUE(WaitUntil([&] { return server_.ClientDisconnected(); }));
    Settle();
    EXPECT_EQ(events_.ends(), 0);
    EXPECT_TRUE(events_.messages.empty());
}

TEST(RoomSocketEnds, RefusedOrUnresolvableOrBadPortGiveExactlyOneEnd) {
    struct Case {
        std::string host;
        std::int32_t port;
    };
    for (const Case& c : {Case{"127.0.0.1", test::UnusedPort()}, Case{"no-such-host.invalid", 5000},
                          Case{"127.0.0.1", 0}, Case{"127.0.0.1", 70000}, Case{"", 5000}}) {
        RoomSocket socket;
        Events events(socket);
        socket.Send({1, 'x'});
        socket.Connect(c.host, c.port, 120);
        EXPECT_TRUE(WaitUntil([&] { return events.ends() == 1; }, 10000)) << c.host << c.port;
        WaitUntil([] { return false; }, 100);
        EXPECT_EQ(events.ends(), 1) << c.host << c.port;
        EXPECT_EQ(events.connected, 0);
    }
}

}  // namespace
}  // namespace redten
