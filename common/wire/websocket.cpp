#include "wire/websocket.h"

#include <algorithm>
#include <cstring>

#include "wire/framing.h"

namespace redten {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Whether the comma-separated header value lists token.
bool ListsToken(std::string_view value, std::string_view token) {
    while (!value.empty()) {
        const std::size_t comma = value.find(',');
        if (SameIgnoringCase(Trimmed(value.substr(0, comma)), token)) {
            return true;
        }
        value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
    }
    return false;
}

// A key is 16 random bytes in base64: 22 characters and "==".
bool IsKey(std::string_view key) {
    if (key.size() != 24 || key.substr(22) != "==") {
        return false;
    }
    return std::all_of(key.begin(), key.begin() + 22, [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
    });
}

// "host:80" and "host" are the same place for http.
std::string Authority(std::string_view hostPort, std::string_view defaultPort) {
    std::string out;
    for (const char c : hostPort) {
        out += Lower(c);
    }
    const std::string suffix = ":" + std::string(defaultPort);
    if (out.size() > suffix.size() && out.ends_with(suffix) && out.find(']', out.size() - suffix.size()) == std::string::npos) {
        out.resize(out.size() - suffix.size());
    }
    return out;
}

}  // namespace

std::optional<UpgradeRequest> ParseUpgradeRequest(std::string_view request, std::string& why) {
    const std::size_t lineEnd = request.find("\r\n");
    if (lineEnd == std::string_view::npos) {
        why = "no request line";
        return std::nullopt;
    }
    const std::string_view line = request.substr(0, lineEnd);
    const std::size_t space1 = line.find(' ');
    const std::size_t space2 = line.rfind(' ');
    if (line.substr(0, space1) != "GET" || space2 == space1 || line.substr(space2 + 1) != "HTTP/1.1") {
        why = "not a GET of HTTP/1.1";
        return std::nullopt;
    }
    UpgradeRequest out;
    out.path = std::string(line.substr(space1 + 1, space2 - space1 - 1));
    bool upgrade = false, connection = false, version = false, hostSeen = false;
    std::string_view rest = request.substr(lineEnd + 2);
    while (!rest.empty()) {
        const std::size_t end = rest.find("\r\n");
        const std::string_view header = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
        if (header.empty()) {
            break;
        }
        const std::size_t colon = header.find(':');
        if (colon == std::string_view::npos) {
            why = "a header without a colon";
            return std::nullopt;
        }
        const std::string_view name = header.substr(0, colon);
        const std::string_view value = Trimmed(header.substr(colon + 1));
        if (SameIgnoringCase(name, "Upgrade")) {
            upgrade = ListsToken(value, "websocket");
        } else if (SameIgnoringCase(name, "Connection")) {
            connection = ListsToken(value, "upgrade");
        } else if (SameIgnoringCase(name, "Sec-WebSocket-Version")) {
            version = value == "13";
        } else if (SameIgnoringCase(name, "Sec-WebSocket-Key")) {
            out.key = std::string(value);
        } else if (SameIgnoringCase(name, "Host")) {
            if (hostSeen) {
                why = "two Host headers";
                return std::nullopt;
            }
            hostSeen = true;
            out.host = std::string(value);
        } else if (SameIgnoringCase(name, "Origin")) {
            out.origin = std::string(value);
        }
    }
    if (!upgrade || !connection) {
        why = "no upgrade to websocket";
    } else if (!version) {
        why = "not version 13";
    } else if (!IsKey(out.key)) {
        why = "no valid key";
    } else if (out.host.empty()) {
        why = "no host";
    } else {
        return out;
    }
    return std::nullopt;
}

bool OriginMatchesHost(std::string_view origin, std::string_view host) {
    if (origin.empty()) {
        return true;
    }
    if (origin.starts_with("http://")) {
        return Authority(origin.substr(7), "80") == Authority(host, "80");
    }
    if (origin.starts_with("https://")) {
        return Authority(origin.substr(8), "443") == Authority(host, "443");
    }
    return false;  // "null" and every other scheme: no page of ours
}

Bytes EncodeWebSocketFrame(WebSocketOp op, const std::uint8_t* payload, std::size_t size) {
    Bytes frame;
    frame.reserve(size + 10);
    frame.push_back(static_cast<std::uint8_t>(0x80 | static_cast<std::uint8_t>(op)));
    if (size < 126) {
        frame.push_back(static_cast<std::uint8_t>(size));
    } else if (size <= 0xFFFF) {
        frame.push_back(126);
        frame.push_back(static_cast<std::uint8_t>(size >> 8));
        frame.push_back(static_cast<std::uint8_t>(size));
    } else {
        frame.push_back(127);
        for (int shift = 56; shift >= 0; shift -= 8) {
            frame.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(size) >> shift));
        }
    }
    frame.insert(frame.end(), payload, payload + size);
    return frame;
}

Bytes EncodeWebSocketTableFrame(const Bytes& message) {
    const std::size_t size = message.size() + 4;
    const std::size_t header = size < 126 ? 2 : size <= 0xFFFF ? 4 : 10;
    Bytes out(header + 4 + message.size());
    out[0] = 0x80 | static_cast<std::uint8_t>(WebSocketOp::Binary);
    if (header == 2) {
        out[1] = static_cast<std::uint8_t>(size);
    } else if (header == 4) {
        out[1] = 126;
        out[2] = static_cast<std::uint8_t>(size >> 8);
        out[3] = static_cast<std::uint8_t>(size);
    } else {
        out[1] = 127;
        for (int i = 0; i < 8; ++i) {
            out[2 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(size) >> (56 - 8 * i));
        }
    }
    const auto n = static_cast<std::uint32_t>(message.size());
    out[header] = static_cast<std::uint8_t>(n >> 24);
    out[header + 1] = static_cast<std::uint8_t>(n >> 16);
    out[header + 2] = static_cast<std::uint8_t>(n >> 8);
    out[header + 3] = static_cast<std::uint8_t>(n);
    std::copy(message.begin(), message.end(), out.begin() + static_cast<std::ptrdiff_t>(header + 4));
    return out;
}

Bytes EncodeWebSocketClose(std::uint16_t code, std::string_view reason) {
    Bytes payload{static_cast<std::uint8_t>(code >> 8), static_cast<std::uint8_t>(code)};
    // A control frame carries at most 125 bytes.
    const std::size_t room = std::min<std::size_t>(reason.size(), 123);
    payload.insert(payload.end(), reason.begin(), reason.begin() + static_cast<std::ptrdiff_t>(room));
    return EncodeWebSocketFrame(WebSocketOp::Close, payload.data(), payload.size());
}

bool WebSocketDecoder::Fail(std::uint16_t code, const char* reason) {
    failCode_ = code;
    failReason_ = reason;
    body_.clear();
    fragments_.clear();
    return false;
}

bool WebSocketDecoder::ReadHeader() {
    if (headerFill_ < 2) {
        return false;
    }
    const std::size_t lengthBytes = (header_[1] & 0x7F) == 126 ? 2 : (header_[1] & 0x7F) == 127 ? 8 : 0;
    const std::size_t maskBytes = fromBrowser_ ? 4 : 0;
    if (headerFill_ < 2 + lengthBytes + maskBytes) {
        return false;
    }
    std::uint64_t length = header_[1] & 0x7F;
    if (lengthBytes > 0) {
        length = 0;
        for (std::size_t i = 0; i < lengthBytes; ++i) {
            length = (length << 8) | header_[2 + i];
        }
    }
    if (fromBrowser_) {
        std::memcpy(mask_, header_ + 2 + lengthBytes, 4);
    }
    fin_ = (header_[0] & 0x80) != 0;
    op_ = static_cast<WebSocketOp>(header_[0] & 0x0F);
    bodyLeft_ = length;
    return true;
}

bool WebSocketDecoder::feed(const std::uint8_t* data, std::size_t size) {
    while (size > 0 && !failed()) {
        if (!inBody_) {
            // The header is 6 to 14 bytes; it is known to be whole only
            // once its first two are in.
            header_[headerFill_++] = *data++;
            --size;
            if (headerFill_ == 2) {
                if ((header_[0] & 0x70) != 0) {
                    return Fail(kCloseProtocolError, "reserved bits set");
                }
                if (((header_[1] & 0x80) != 0) != fromBrowser_) {
                    return Fail(kCloseProtocolError, fromBrowser_ ? "a browser's frames must be masked"
                                                                  : "a room's frames are never masked");
                }
                const auto op = header_[0] & 0x0F;
                const bool control = op >= 8;
                if (op != 0 && op != 1 && op != 2 && op != 8 && op != 9 && op != 10) {
                    return Fail(kCloseProtocolError, "unknown opcode");
                }
                if (control && ((header_[0] & 0x80) == 0 || (header_[1] & 0x7F) > 125)) {
                    return Fail(kCloseProtocolError, "a control frame fragmented or too long");
                }
                if (op == 0 && !fragmented_) {
                    return Fail(kCloseProtocolError, "a continuation of nothing");
                }
                if ((op == 1 || op == 2) && fragmented_) {
                    return Fail(kCloseProtocolError, "a new message inside a fragmented one");
                }
            }
            if (!ReadHeader()) {
                continue;
            }
            headerFill_ = 0;
            const bool control = static_cast<std::uint8_t>(op_) >= 8;
            if (!control && bodyLeft_ > maxMessage_ - std::min(maxMessage_, fragments_.size())) {
                return Fail(kCloseTooBig, "message too big");
            }
            inBody_ = true;
            body_.clear();
            body_.reserve(static_cast<std::size_t>(bodyLeft_));
            if (bodyLeft_ == 0 && !FinishFrame()) {
                return false;
            }
            continue;
        }
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(bodyLeft_, size));
        const std::size_t at = body_.size();
        body_.insert(body_.end(), data, data + take);
        for (std::size_t i = at; i < body_.size(); ++i) {
            body_[i] ^= mask_[i & 3];
        }
        data += take;
        size -= take;
        bodyLeft_ -= take;
        if (bodyLeft_ == 0 && !FinishFrame()) {
            return false;
        }
    }
    return !failed();
}

bool WebSocketDecoder::FinishFrame() {
    inBody_ = false;
    WebSocketMessage message;
    if (static_cast<std::uint8_t>(op_) >= 8) {
        message.op = op_;
        message.payload = std::move(body_);
    } else {
        if (op_ != WebSocketOp::Continuation) {
            fragmented_ = op_;
        }
        if (fin_ && fragments_.empty()) {
            message.payload = std::move(body_);  // the usual case: one frame, nothing to join
        } else {
            fragments_.insert(fragments_.end(), body_.begin(), body_.end());
            if (!fin_) {
                body_.clear();
                return true;
            }
            message.payload = std::move(fragments_);
        }
        body_.clear();
        fragments_.clear();
        message.op = *fragmented_;
        fragmented_.reset();
    }
    if (ready_.size() >= kMaxPendingMessages || readyBytes_ + message.payload.size() > kMaxPendingBytes) {
        return Fail(kClosePolicy, "too many messages waiting");
    }
    readyBytes_ += message.payload.size();
    ready_.push_back(std::move(message));
    return true;
}

WebSocketMessage WebSocketDecoder::takeMessage() {
    WebSocketMessage message = std::move(ready_.front());
    ready_.pop_front();
    readyBytes_ -= message.payload.size();
    return message;
}

}  // namespace redten
