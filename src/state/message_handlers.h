#pragma once

#include "wire/bytes.h"

namespace redten {

// The two receivers of messages from the room; the connection routes each
// message to one of them by its first byte.
class RoomMessageSink {
public:
    virtual ~RoomMessageSink() = default;
    virtual void ExecRoomMsg(const Bytes& message) = 0;
};

class GameMessageSink {
public:
    virtual ~GameMessageSink() = default;
    virtual void ExecGameMsg(const Bytes& message) = 0;
};

}  // namespace redten
