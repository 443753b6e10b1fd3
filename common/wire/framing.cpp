#include "wire/framing.h"

#include <algorithm>

namespace redten {

Bytes EncodeFrame(const Bytes& message) {
    const auto n = static_cast<std::uint32_t>(message.size());
    Bytes frame(4 + message.size());
    frame[0] = static_cast<std::uint8_t>(n >> 24);
    frame[1] = static_cast<std::uint8_t>(n >> 16);
    frame[2] = static_cast<std::uint8_t>(n >> 8);
    frame[3] = static_cast<std::uint8_t>(n);
    std::copy(message.begin(), message.end(), frame.begin() + 4);
    return frame;
}

Bytes KeepAliveFrame() { return Bytes(4, 0); }

bool FrameDecoder::feed(const std::uint8_t* data, std::size_t size) {
    std::size_t i = 0;
    while (!failed_ && i < size) {
        if (!inBody_) {
            header_[headerFill_++] = data[i++];
            if (headerFill_ < 4) {
                continue;
            }
            headerFill_ = 0;
            const std::uint32_t length = (std::uint32_t{header_[0]} << 24) |
                                         (std::uint32_t{header_[1]} << 16) |
                                         (std::uint32_t{header_[2]} << 8) | header_[3];
            if (length > maxLength_) {
                failed_ = true;
                body_.clear();
                body_.shrink_to_fit();
                break;
            }
            if (length == 0) {
                continue;  // keep-alive
            }
            bodyExpected_ = length;
            body_.clear();
            body_.reserve(length);
            inBody_ = true;
            continue;
        }
        const std::size_t take = std::min(size - i, bodyExpected_ - body_.size());
        body_.insert(body_.end(), data + i, data + i + take);
        i += take;
        if (body_.size() == bodyExpected_) {
            if (ready_.size() >= kMaxPendingMessages ||
                readyBytes_ + body_.size() > kMaxPendingBytes) {
                failed_ = true;
                body_ = Bytes{};
                break;
            }
            readyBytes_ += body_.size();
            ready_.push_back(std::move(body_));
            body_ = Bytes{};
            inBody_ = false;
        }
    }
    return !failed_;
}

Bytes FrameDecoder::takeMessage() {
    Bytes message = std::move(ready_.front());
    ready_.pop_front();
    readyBytes_ -= message.size();
    return message;
}

}  // namespace redten
