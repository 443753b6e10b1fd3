#include <gtest/gtest.h>

#include "wire/framing.h"

namespace redten {
namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) {
        all.insert(all.end(), p.begin(), p.end());
    }
    return all;
}

std::vector<Bytes> TakeAll(FrameDecoder& decoder) {
    std::vector<Bytes> messages;
    while (decoder.hasMessage()) {
        messages.push_back(decoder.takeMessage());
    }
    return messages;
}

TEST(FrameDecoder, MessageFedOneByteAtATimeArrivesWhole) {
    const Bytes message{130, 0, '7', '0', '0'};
    const Bytes stream = EncodeFrame(message);
    ASSERT_EQ(stream.size(), 9u);
    EXPECT_EQ(stream[3], 5);
    FrameDecoder decoder;
    for (std::size_t i = 0; i < stream.size(); ++i) {
        EXPECT_EQ(decoder.hasMessage(), false) << i;
        ASSERT_TRUE(decoder.feed(&stream[i], 1));
    }
    EXPECT_EQ(TakeAll(decoder), std::vector<Bytes>{message});
}

TEST(FrameDecoder, SeveralMessagesInOneFeedKeepTheirOrderAndSkipKeepAlives) {
    const Bytes a{1}, b{2, 2}, c(300, 3);
    FrameDecoder decoder;
    ASSERT_TRUE(decoder.feed(Concat({KeepAliveFrame(), EncodeFrame(a), KeepAliveFrame(),
                                     EncodeFrame(b), EncodeFrame(c), KeepAliveFrame()})));
    EXPECT_EQ(TakeAll(decoder), (std::vector<Bytes>{a, b, c}));
}

TEST(FrameDecoder, LengthAtTheLimitIsAcceptedAndOneAboveBreaksTheStream) {
    FrameDecoder ok;
    ASSERT_TRUE(ok.feed(EncodeFrame(Bytes(kMaxFrameLength, 7))));
    ASSERT_TRUE(ok.hasMessage());
    EXPECT_EQ(ok.takeMessage().size(), kMaxFrameLength);

    FrameDecoder bad;
    const Bytes before = EncodeFrame({5});
    const Bytes oversize{0x00, 0x10, 0x00, 0x01, 1, 2, 3};
    EXPECT_FALSE(bad.feed(Concat({before, oversize, EncodeFrame({6})})));
    EXPECT_TRUE(bad.failed());
    // What came whole before the violation is kept; nothing after it.
    EXPECT_EQ(TakeAll(bad), std::vector<Bytes>{Bytes{5}});
    EXPECT_FALSE(bad.feed(EncodeFrame({7})));
    EXPECT_FALSE(bad.hasMessage());
}

TEST(FrameDecoder, ALowerLimitAndAFloodOfWaitingMessagesBreakTheStream) {
    FrameDecoder small(16);
    EXPECT_TRUE(small.feed(EncodeFrame(Bytes(16, 1))));
    EXPECT_FALSE(small.feed(EncodeFrame(Bytes(17, 1))));

    FrameDecoder flooded;
    Bytes stream;
    for (std::size_t i = 0; i <= kMaxPendingMessages; ++i) {
        const Bytes frame = EncodeFrame({22});
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    EXPECT_FALSE(flooded.feed(stream));
    EXPECT_EQ(flooded.pendingCount(), kMaxPendingMessages);
}

TEST(FrameDecoder, HugeLengthIsRefusedBeforeAnyBodyIsHeld) {
    FrameDecoder decoder;
    EXPECT_FALSE(decoder.feed(Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace redten
