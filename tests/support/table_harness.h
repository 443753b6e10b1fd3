#pragma once

#include "game/game_messages.h"
#include "game/turn_flow.h"
#include "game/message_routing.h"
#include "game/room_messages.h"
#include "wire/message.h"
#include "wire/text_fields.h"
#include "state/client_context.h"
#include "state/public_define.h"
#include "support/recorded_parts.h"

namespace redten::test {

// Makes the Qt application the table's timers and models need, once.
void EnsureApplication();

// The table's message handlers over a fresh state, every outside part a
// recording stand-in and every wait over at once, for the user myName.
struct TableHarness {
    explicit TableHarness(const std::string& myName = "张三") {
        context.programDirectory = "/opt/redten/table";
        context.launch.strGameTitle = "红十";
        context.launch.strMyName = myName;
        context.launch.strLevelList = "新手_0`高手_100";
        InitPublicDefine(context.define, context.programDirectory, context.launch.strLevelList);
    }
    void Route(const Bytes& m) { RouteMessage(m, room, game); }

    ClientContext context;
    RecordedParts parts;
    TurnFlow flow{context, parts.services, false};
    GameMessages game{context, parts.services, flow};
    RoomMessages room{context, parts.services, flow, game};
};

}  // namespace redten::test
