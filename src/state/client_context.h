#pragma once

#include <string>

#include "rules/game_state.h"
#include "state/launch_context.h"
#include "state/public_define.h"
#include "state/table_controls.h"
#include "state/user_set.h"

namespace redten {

// The state the table keeps for its whole life, one instance owned by the
// start-up procedure and lent to whoever needs a part of it.
struct ClientContext {
    std::string programDirectory;
    LaunchContext launch;
    PublicDefine define;
    UserSet userSet;
    GameState game;
    TableControls controls;
};

// The game and what the table's buttons show start afresh together.
inline void InitGameData(ClientContext& context) {
    InitGameData(context.game);
    context.controls = TableControls{};
}

inline void ResetGameData(ClientContext& context, bool resetReady) {
    ResetGameData(context.game, resetReady);
    ResetTableControls(context.controls);
}

}  // namespace redten
