#pragma once

#include <string>

#include "game/rules/game_state.h"
#include "startup/launch_context.h"
#include "startup/public_define.h"
#include "startup/user_set.h"

namespace redten {

// The state the table keeps for its whole life, one instance owned by the
// start-up procedure and lent to whoever needs a part of it.
struct ClientContext {
    std::string programDirectory;
    LaunchContext launch;
    PublicDefine define;
    UserSet userSet;
    GameState game;
};

}  // namespace redten
