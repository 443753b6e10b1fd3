#include "game/game_messages.h"

namespace redten {

void GameMessages::ExecGameMsg(const Bytes& message) {
    if (message.empty()) {
        return;
    }
    // No game message is acted on yet: every code is ignored.
}

}  // namespace redten
