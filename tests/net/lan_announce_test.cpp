#include <gtest/gtest.h>

#include "wire/lan_announce.h"

namespace redten::wire {
namespace {

TEST(LanAnnounce, ARoomComesBackAsSentWithItsNameCutWholeAndBlanksReplaced) {
    const RoomAnnouncement room{27100, 3, 5, "张三 的房间"};
    const auto back = DecodeAnnouncement(EncodeAnnouncement(room));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->port, 27100);
    EXPECT_EQ(back->tables, 3);
    EXPECT_EQ(back->freeSeats, 5);
    EXPECT_EQ(back->name, "张三_的房间");

    // Eleven three-byte characters: the cut keeps ten whole ones.
    const auto longName = DecodeAnnouncement(EncodeAnnouncement({1, 0, 0, "一二三四五六七八九十百"}));
    ASSERT_TRUE(longName);
    EXPECT_EQ(longName->name, "一二三四五六七八九十");
    EXPECT_TRUE(DecodeAnnouncement(EncodeAnnouncement({1, 0, 0, ""})));  // named "-"

    EXPECT_TRUE(IsFindRequest(FindRequest()));
    EXPECT_FALSE(IsFindRequest("REDTEN-FIND 1 "));
    EXPECT_FALSE(DecodeAnnouncement("REDTEN-ROOM 1 27100 -1 0 x"));
    EXPECT_FALSE(DecodeAnnouncement("REDTEN-ROOM 1 27100 0 0 a\tb"));
    EXPECT_FALSE(DecodeAnnouncement("REDTEN-ROOM 1 27100 0 0 "));
}

}  // namespace
}  // namespace redten::wire
