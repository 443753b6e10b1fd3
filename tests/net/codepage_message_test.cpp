#include <gtest/gtest.h>

#include "wire/handshake.h"
#include "wire/message.h"

namespace redten {
namespace {

TEST(MakeSendBytes, HandshakeTextAfterTwoByteHeader) {
    Bytes out;
    ASSERT_TRUE(MakeSendBytes("700`KOVA`1", out, 2, {130, 0}));
    EXPECT_EQ(out, (Bytes{130, 0, 55, 48, 48, 96, 75, 79, 86, 65, 96, 49}));
    EXPECT_EQ(MakeHandshake(1), out);
    EXPECT_EQ(MakeHandshake(0).back(), '0');
}

TEST(MakeSendBytes, ChineseTextTakesTwoBytesPerCharacter) {
    Bytes out;
    ASSERT_TRUE(MakeSendBytes("所有人", out, 1, {1}));
    EXPECT_EQ(out, (Bytes{1, 203, 249, 211, 208, 200, 203}));
}

TEST(MakeSendBytes, EmptyTextBuildsNothing) {
    Bytes out{9, 9};
    EXPECT_FALSE(MakeSendBytes("", out, 2, {130, 0}));
    EXPECT_EQ(out, (Bytes{9, 9}));
}

TEST(MakeSendBytes, HeaderLongerThanGivenIsCut) {
    Bytes out;
    ASSERT_TRUE(MakeSendBytes("a", out, 200, {112, 1}));
    EXPECT_EQ(out, (Bytes{112, 1, 'a'}));
}

TEST(MakeSendBytes, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    Bytes out;
    // An emoji and a lone continuation byte (malformed UTF-8).
    ASSERT_TRUE(MakeSendBytes("a\xF0\x9F\x98\x80" "b\x80", out));
    EXPECT_EQ(out, (Bytes{'a', '?', 'b', '?'}));
}

TEST(GetTextFromBytes, DecodesPairsAndDropsTextWithABrokenLastCharacter) {
    EXPECT_EQ(GetTextFromBytes({105, 0, 0, 193, 196}, 3), "聊");
    EXPECT_EQ(GetTextFromBytes({105, 0, 0, 193}, 3), "");
    EXPECT_EQ(GetTextFromBytes({105, 'a', 'b', 193}, 1), "");
    EXPECT_EQ(GetTextFromBytes({1, 2}, 2), "");
    EXPECT_EQ(GetTextFromBytes({1, 2}, 99), "");
}

TEST(GetTextFromBytes, BackQuoteAsTrailByteStaysInsideItsCharacter) {
    // 0x81 0x60 is one character of the code page; its trail byte is a
    // back-quote, which must not split the text.
    const std::string text = GetTextFromBytes({0x81, 0x60, '`', 'x'}, 0);
    EXPECT_EQ(text.substr(text.size() - 2), "`x");
    EXPECT_EQ(text.find('`'), text.size() - 2);
}

TEST(GetTextFromBytes, PairsThatNameNoCharacterReadAsQuestionMarks) {
    EXPECT_EQ(GetTextFromBytes({0xFF, 0xFF, 'a'}, 0), "?a");
    EXPECT_EQ(GetTextFromBytes({0x80, 'A'}, 0), "?");
}

TEST(GetTextFromBytes, RoundTripsWhatMakeSendBytesBuilt) {
    const std::string text = "张三`红十 Red Ten`1";
    Bytes out;
    ASSERT_TRUE(MakeSendBytes(text, out, 2, {130, 3}));
    EXPECT_EQ(GetTextFromBytes(out, 2), text);
}

TEST(GetLongFromBytes, ReadsBigEndianTwosComplement) {
    std::int32_t v = 7;
    ASSERT_TRUE(GetLongFromBytes(v, {255, 255, 255, 254}, 0));
    EXPECT_EQ(v, -2);
    ASSERT_TRUE(GetLongFromBytes(v, {128, 0, 0, 0}, 0));
    EXPECT_EQ(v, -2147483647 - 1);
    ASSERT_TRUE(GetLongFromBytes(v, {9, 0, 0, 1, 2}, 1));
    EXPECT_EQ(v, 258);
    ASSERT_TRUE(GetLongFromBytes(v, {127, 255, 255, 255}, 0));
    EXPECT_EQ(v, 2147483647);
}

TEST(GetLongFromBytes, ShortMessageLeavesValueUnchanged) {
    std::int32_t v = 7;
    EXPECT_FALSE(GetLongFromBytes(v, {1, 2, 3}, 0));
    EXPECT_FALSE(GetLongFromBytes(v, {1, 2, 3, 4}, 1));
    EXPECT_FALSE(GetLongFromBytes(v, {1, 2, 3, 4}, static_cast<std::size_t>(-1)));
    EXPECT_FALSE(GetLongFromBytes(v, {}, 0));
    EXPECT_EQ(v, 7);
}

}  // namespace
}  // namespace redten
