#include <gtest/gtest.h>

#include "game/message_routing.h"

namespace redten {
namespace {

struct Recorder final : RoomMessageSink, GameMessageSink {
    void ExecRoomMsg(const Bytes& m) override { room.push_back(m.at(0)); }
    void ExecGameMsg(const Bytes& m) override { game.push_back(m.at(0)); }
    std::vector<int> room, game;
};

TEST(RouteMessage, FirstByteChoosesTheHandler) {
    Recorder r;
    for (int code : {0, 21, 94, 95, 109, 112, 113, 130, 133, 134, 255}) {
        RouteMessage({static_cast<std::uint8_t>(code), 1}, r, r);
    }
    RouteMessage({}, r, r);
    EXPECT_EQ(r.game, (std::vector<int>{0, 21, 94, 113, 133}));
    EXPECT_EQ(r.room, (std::vector<int>{95, 109, 112, 130, 134, 255}));
}

}  // namespace
}  // namespace redten
