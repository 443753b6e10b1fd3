#pragma once

#include <optional>
#include <string>

#include "server/tables/table_host.h"

namespace redten::room {

// What must hold of every finished game: each dealt card was played or
// returned exactly once, the scores sum to zero, the finishing places are
// 1..k for exactly the players who went out, and a won game was won by a
// side that went out entirely. Returns what is wrong, or nothing.
std::optional<std::string> CheckFinishedGame(const FinishedGame& game);

}  // namespace redten::room
