#include "game/message_routing.h"

#include "wire/routing.h"

namespace redten {

void RouteMessage(const Bytes& message, RoomMessageSink& room, GameMessageSink& game) {
    if (message.empty()) {
        return;
    }
    if (IsRoomMessageCode(message[0])) {
        room.ExecRoomMsg(message);
    } else {
        game.ExecGameMsg(message);
    }
}

}  // namespace redten
