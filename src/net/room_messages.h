#pragma once

#include "net/message_handlers.h"

namespace redten {

// Room messages: who is at the table, who sits where, who watches, and the
// table owner's settings. Codes this handler does not know are ignored.
class RoomMessages final : public RoomMessageSink {
public:
    void ExecRoomMsg(const Bytes& message) override;
};

}  // namespace redten
