// A browser's upgrade request and its frames, arbitrary bytes in arbitrary
// pieces: the request is read or refused, and the stream hands out whole
// messages within the bound or fails for good with a close code.
#include <cstdlib>
#include <string>

#include "wire/websocket.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    const std::string_view text(reinterpret_cast<const char*>(data), std::min(size, kMaxUpgradeRequest));
    std::string why;
    if (const auto request = ParseUpgradeRequest(text, why)) {
        OriginMatchesHost(request->origin, request->host);
    }
    constexpr std::size_t kMax = 4096;
    WebSocketDecoder decoder(kMax);
    std::size_t at = 0;
    while (at < size && !decoder.failed()) {
        const std::size_t piece = std::min<std::size_t>(1 + data[at] % 61, size - at);
        decoder.feed(data + at, piece);
        at += piece;
        while (decoder.hasMessage()) {
            const WebSocketMessage m = decoder.takeMessage();
            const bool control = static_cast<int>(m.op) >= 8;
            if (m.payload.size() > (control ? 125u : kMax) || m.op == WebSocketOp::Continuation) {
                std::abort();
            }
        }
    }
    if (decoder.failed() && decoder.failCode() < 1000) {
        std::abort();
    }
    return 0;
}
