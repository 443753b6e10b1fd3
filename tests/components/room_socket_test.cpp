#include <gtest/gtest.h>

#include <QElapsedTimer>

#include "components/room_socket.h"
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

TEST_F(RoomSocketTest, ABurstOfMessagesArrivesWholeAndInOrder) {
    Link();
    std::vector<int> order;
    QObject::connect(&socket_, &RoomLink::DataArrival, [&](const Bytes& m) { order.push_back(m[1] * 256 + m[2]); });
    QByteArray burst;
    constexpr int kCount = 3000;
    for (int i = 0; i < kCount; ++i) {
        burst += ToByteArray(EncodeFrame({21, static_cast<std::uint8_t>(i / 256),
                                          static_cast<std::uint8_t>(i % 256)}));
    }
    server_.WriteRaw(burst);
    ASSERT_TRUE(WaitUntil([&] { return order.size() == kCount; }, 60000));
    for (int i = 0; i < kCount; ++i) {
        ASSERT_EQ(order[i], i);
    }
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
