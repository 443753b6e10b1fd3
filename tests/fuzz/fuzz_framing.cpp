// The stream decoder fed arbitrary bytes in arbitrary pieces: it either
// hands out whole messages within its limits or fails for good.
#include <cstdlib>

#include "wire/framing.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    FrameDecoder decoder(64 * 1024);
    std::size_t at = 0;
    std::size_t handedOut = 0;
    while (at < size && !decoder.failed()) {
        // The first byte of every piece says how long the piece is.
        const std::size_t piece = std::min<std::size_t>(1 + data[at] % 97, size - at);
        decoder.feed(data + at, piece);
        at += piece;
        while (decoder.hasMessage()) {
            const Bytes m = decoder.takeMessage();
            if (m.empty() || m.size() > 64 * 1024) {
                std::abort();  // keep-alives are never delivered; nothing over the limit is
            }
            ++handedOut;
        }
    }
    if (handedOut > size / 4 + 1) {
        std::abort();  // every message costs at least a header
    }
    return 0;
}
