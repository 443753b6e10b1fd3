#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

#include "wire/bytes.h"

namespace redten {

// The stream framing between a table and its room: each message is a 4-byte
// big-endian length L followed by L bytes. L = 0 is a keep-alive and carries
// no message; L above kMaxFrameLength breaks the protocol and ends the link.
inline constexpr std::uint32_t kMaxFrameLength = 1024 * 1024;
// Whole messages waiting to be handled; a peer that outruns this floods.
inline constexpr std::size_t kMaxPendingMessages = 4096;
inline constexpr std::size_t kMaxPendingBytes = 8 * 1024 * 1024;

Bytes EncodeFrame(const Bytes& message);
Bytes KeepAliveFrame();

// Cuts a byte stream into whole messages. Memory stays bounded: at most one
// partial frame is held, and a length over the limit is refused before any
// of its body is kept.
class FrameDecoder {
public:
    // A receiver that expects only small messages may set a lower limit.
    explicit FrameDecoder(std::uint32_t maxLength = kMaxFrameLength) : maxLength_(maxLength) {}

    // Takes the next bytes of the stream. Returns false once the stream has
    // broken the protocol (a frame over the limit, or more whole messages
    // waiting than kMaxPendingMessages or kMaxPendingBytes); from then on
    // further bytes are ignored.
    bool feed(const std::uint8_t* data, std::size_t size);
    bool feed(const Bytes& data) { return feed(data.data(), data.size()); }

    bool failed() const { return failed_; }
    bool hasMessage() const { return !ready_.empty(); }
    // The oldest whole message not yet taken; call only when hasMessage().
    Bytes takeMessage();
    std::size_t pendingCount() const { return ready_.size(); }

private:
    std::uint32_t maxLength_;
    std::uint8_t header_[4] = {};
    std::size_t headerFill_ = 0;
    Bytes body_;
    std::size_t bodyExpected_ = 0;
    bool inBody_ = false;
    bool failed_ = false;
    std::deque<Bytes> ready_;
    std::size_t readyBytes_ = 0;
};

}  // namespace redten
