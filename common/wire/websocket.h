#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

#include "wire/bytes.h"

namespace redten {

// A browser's table speaks WebSocket (RFC 6455) on the room's own port: one
// binary message carries one frame of the table's framing, and a text
// message before the greeting carries a lobby line. These are the parts
// that need no sockets: reading the upgrade request, and cutting the
// stream into messages within bounds.

// The headers of an upgrade request are read up to this many bytes.
inline constexpr std::size_t kMaxUpgradeRequest = 8192;

struct UpgradeRequest {
    std::string path;    // as requested, query included
    std::string host;    // the Host header
    std::string origin;  // the Origin header; empty when none was sent
    std::string key;     // Sec-WebSocket-Key
};

// Reads "GET /path HTTP/1.1\r\n" and its headers up to the blank line.
// Nothing when the request is no valid WebSocket upgrade; why says what is
// wrong with it.
std::optional<UpgradeRequest> ParseUpgradeRequest(std::string_view request, std::string& why);

// Whether a page of origin may open a table on host: only the room's own
// pages may, so the origin's host and port must be the ones the browser
// asked for. A request with no Origin comes from no browser page.
bool OriginMatchesHost(std::string_view origin, std::string_view host);

enum class WebSocketOp : std::uint8_t { Continuation = 0, Text = 1, Binary = 2, Close = 8, Ping = 9, Pong = 10 };

// Close codes the room sends.
inline constexpr std::uint16_t kCloseNormal = 1000;
inline constexpr std::uint16_t kCloseGoingAway = 1001;
inline constexpr std::uint16_t kCloseProtocolError = 1002;
inline constexpr std::uint16_t kCloseUnsupportedData = 1003;
inline constexpr std::uint16_t kClosePolicy = 1008;
inline constexpr std::uint16_t kCloseTooBig = 1009;

// A server's frame: never masked. A close frame carries code and reason.
Bytes EncodeWebSocketFrame(WebSocketOp op, const std::uint8_t* payload, std::size_t size);
Bytes EncodeWebSocketClose(std::uint16_t code, std::string_view reason);
// A table's message as a browser's link carries it: one binary message
// holding the message's frame, made in one piece.
Bytes EncodeWebSocketTableFrame(const Bytes& message);

struct WebSocketMessage {
    WebSocketOp op = WebSocketOp::Binary;  // Text, Binary, Close, Ping or Pong
    Bytes payload;
};

// Cuts a peer's stream into whole messages, joining fragments. Memory
// stays bounded: a message over the limit, or more waiting than a table's
// framing allows, fails the stream before its body is kept. A failed
// stream says with which close code, and ignores whatever follows.
class WebSocketDecoder {
public:
    // fromBrowser: frames must be masked, as a browser's are; a room's
    // frames must not be.
    explicit WebSocketDecoder(std::size_t maxMessage, bool fromBrowser = true)
        : maxMessage_(maxMessage), fromBrowser_(fromBrowser) {}

    // False once the stream has broken the protocol.
    bool feed(const std::uint8_t* data, std::size_t size);
    bool failed() const { return failCode_ != 0; }
    std::uint16_t failCode() const { return failCode_; }
    const char* failReason() const { return failReason_; }

    bool hasMessage() const { return !ready_.empty(); }
    WebSocketMessage takeMessage();

private:
    bool Fail(std::uint16_t code, const char* reason);
    // Reads one frame's header from the start of header_; false while it is
    // not whole yet.
    bool ReadHeader();
    bool FinishFrame();

    std::size_t maxMessage_;
    bool fromBrowser_;
    std::uint8_t header_[14] = {};
    std::size_t headerFill_ = 0;
    bool inBody_ = false;
    bool fin_ = false;
    WebSocketOp op_ = WebSocketOp::Binary;
    std::uint8_t mask_[4] = {};
    std::uint64_t bodyLeft_ = 0;
    Bytes body_;
    // A fragmented message being joined: its opcode and what came so far.
    std::optional<WebSocketOp> fragmented_;
    Bytes fragments_;
    std::deque<WebSocketMessage> ready_;
    std::size_t readyBytes_ = 0;
    std::uint16_t failCode_ = 0;
    const char* failReason_ = "";
};

}  // namespace redten
