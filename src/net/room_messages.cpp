#include "net/room_messages.h"

namespace redten {

void RoomMessages::ExecRoomMsg(const Bytes& message) {
    if (message.size() < 2) {
        return;
    }
    // No room message is acted on yet: every code is ignored.
}

}  // namespace redten
