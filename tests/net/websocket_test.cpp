#include <gtest/gtest.h>

#include "wire/websocket.h"

namespace redten {
namespace {

// A browser's frame, masked as browsers must.
Bytes ClientFrame(std::uint8_t first, const Bytes& payload, bool masked = true) {
    Bytes f{first};
    const std::uint8_t maskBit = masked ? 0x80 : 0;
    if (payload.size() < 126) {
        f.push_back(static_cast<std::uint8_t>(maskBit | payload.size()));
    } else {
        f.push_back(maskBit | 126);
        f.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
        f.push_back(static_cast<std::uint8_t>(payload.size()));
    }
    const std::uint8_t mask[4] = {0xA1, 0x02, 0x7F, 0xFE};
    if (masked) {
        f.insert(f.end(), mask, mask + 4);
    }
    for (std::size_t i = 0; i < payload.size(); ++i) {
        f.push_back(masked ? payload[i] ^ mask[i % 4] : payload[i]);
    }
    return f;
}

TEST(WebSocket, FragmentsJoinAcrossAnyCutWithAPingBetweenThem) {
    const Bytes first = ClientFrame(0x02, {1, 2, 3});  // binary, not final
    const Bytes ping = ClientFrame(0x89, {7});
    const Bytes rest = ClientFrame(0x80, Bytes(200, 9));  // final continuation
    Bytes stream = first;
    stream.insert(stream.end(), ping.begin(), ping.end());
    stream.insert(stream.end(), rest.begin(), rest.end());
    WebSocketDecoder decoder(1024);
    for (const std::uint8_t byte : stream) {
        ASSERT_TRUE(decoder.feed(&byte, 1));
    }
    ASSERT_TRUE(decoder.hasMessage());
    EXPECT_EQ(decoder.takeMessage().op, WebSocketOp::Ping);
    const WebSocketMessage joined = decoder.takeMessage();
    EXPECT_EQ(joined.op, WebSocketOp::Binary);
    ASSERT_EQ(joined.payload.size(), 203u);
    EXPECT_EQ(joined.payload[2], 3);
    EXPECT_EQ(joined.payload[202], 9);
    EXPECT_FALSE(decoder.hasMessage());
}

TEST(WebSocket, EveryBreachFailsWithItsCloseCode) {
    struct Case {
        const char* what;
        Bytes stream;
        std::uint16_t code;
    };
    Bytes huge{0x82, 0x80 | 127, 0x80, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4};  // 2^63 bytes
    const Bytes cont = ClientFrame(0x02, {1}, true);
    Bytes twoStarts = cont;
    const Bytes second = ClientFrame(0x82, {2});
    twoStarts.insert(twoStarts.end(), second.begin(), second.end());
    const Case cases[] = {
        {"unmasked", ClientFrame(0x82, {1, 2}, false), kCloseProtocolError},
        {"reserved bits", ClientFrame(0xC2, {1}), kCloseProtocolError},
        {"unknown opcode", ClientFrame(0x83, {1}), kCloseProtocolError},
        {"fragmented ping", ClientFrame(0x09, {1}), kCloseProtocolError},
        {"continuation of nothing", ClientFrame(0x80, {1}), kCloseProtocolError},
        {"new message inside a fragmented one", twoStarts, kCloseProtocolError},
        {"over the bound", ClientFrame(0x82, Bytes(1025, 0)), kCloseTooBig},
        {"absurd length", huge, kCloseTooBig},
    };
    for (const Case& c : cases) {
        WebSocketDecoder decoder(1024);
        EXPECT_FALSE(decoder.feed(c.stream.data(), c.stream.size())) << c.what;
        EXPECT_EQ(decoder.failCode(), c.code) << c.what;
        const std::uint8_t more = 0x82;
        EXPECT_FALSE(decoder.feed(&more, 1)) << c.what << ": a failed stream stays failed";
    }
}

TEST(WebSocket, TheRoomsFramesCarryEachLengthForm) {
    for (const std::size_t size : {0u, 125u, 126u, 65535u, 65536u}) {
        const Bytes payload(size, 5);
        const Bytes f = EncodeWebSocketFrame(WebSocketOp::Binary, payload.data(), payload.size());
        EXPECT_EQ(f[0], 0x82);
        const std::size_t header = size < 126 ? 2 : size < 65536 ? 4 : 10;
        EXPECT_EQ(f.size(), header + size) << size;
        EXPECT_EQ(f[1] & 0x80, 0) << "the room never masks";
    }
    Bytes framed{0, 0, 0, 200};
    framed.insert(framed.end(), 200, 7);
    EXPECT_EQ(EncodeWebSocketTableFrame(Bytes(200, 7)), EncodeWebSocketFrame(WebSocketOp::Binary, framed.data(), framed.size()));
    const Bytes close = EncodeWebSocketClose(kCloseTooBig, std::string(300, 'x'));
    EXPECT_EQ(close.size(), 2u + 125u) << "a control frame is cut to 125 bytes";
    EXPECT_EQ(close[2], 1009 >> 8);
}

TEST(WebSocket, TheUpgradeNeedsEveryHeaderAndAnOriginOfTheRoomsOwn) {
    const std::string good =
        "GET /table HTTP/1.1\r\nHost: 127.0.0.1:27100\r\nUpgrade: websocket\r\nConnection: keep-alive, Upgrade\r\n"
        "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nOrigin: http://127.0.0.1:27100\r\n"
        "Sec-WebSocket-Version: 13\r\n\r\n";
    std::string why;
    const auto request = ParseUpgradeRequest(good, why);
    ASSERT_TRUE(request) << why;
    EXPECT_EQ(request->path, "/table");
    EXPECT_TRUE(OriginMatchesHost(request->origin, request->host));
    for (const char* cut : {"Upgrade: websocket\r\n", "Sec-WebSocket-Version: 13\r\n", "Host: 127.0.0.1:27100\r\n"}) {
        std::string without = good;
        without.erase(without.find(cut), std::string(cut).size());
        EXPECT_FALSE(ParseUpgradeRequest(without, why)) << cut;
    }
    EXPECT_TRUE(OriginMatchesHost("", "room:1"));
    EXPECT_TRUE(OriginMatchesHost("http://Room.lan", "room.lan:80"));
    EXPECT_FALSE(OriginMatchesHost("http://evil.example", "127.0.0.1:27100"));
    EXPECT_FALSE(OriginMatchesHost("http://127.0.0.1:8080", "127.0.0.1:27100"));
    EXPECT_FALSE(OriginMatchesHost("null", "127.0.0.1:27100"));
}

}  // namespace
}  // namespace redten
