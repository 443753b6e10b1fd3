#pragma once

#include "state/message_handlers.h"
#include "wire/bytes.h"

namespace redten {

// Hands a message from the room to the room or the game handler by its
// first byte. An empty message goes nowhere.
void RouteMessage(const Bytes& message, RoomMessageSink& room, GameMessageSink& game);

}  // namespace redten
