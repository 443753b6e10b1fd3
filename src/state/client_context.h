#pragma once

#include <cstdint>
#include <string>

#include "rules/game_state.h"
#include "state/launch_context.h"
#include "state/public_define.h"
#include "state/table_controls.h"
#include "state/table_scene.h"
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
    TableScene scene;
    // Counts the changes to what the table shows: whoever changes the game
    // state, the buttons or the scene says so here, and the window draws a
    // new frame once the event loop has nothing else to do.
    std::uint64_t revision = 0;
    void Changed() { ++revision; }

    // While the blast runs, the mouse plays no card and moves no splitter.
    bool BlastRunning() const { return scene.blast != Blast::None; }
};

// The game, what the table's buttons show and the scene start afresh
// together.
inline void InitGameData(ClientContext& context) {
    InitGameData(context.game);
    context.controls = TableControls{};
    context.scene = TableScene{};
}

inline void ResetGameData(ClientContext& context, bool resetReady) {
    ResetGameData(context.game, resetReady);
    ResetTableControls(context.controls);
    context.scene.blast = Blast::None;
    context.scene.blastFrame = 0;
}

}  // namespace redten
