#pragma once

#include <cstdint>
#include <string>

namespace redten::room {

struct SelfPlayResult {
    int games = 0;
    double seconds = 0;
    std::string failure;  // the first broken rule, empty when all held
};

// Plays games computer against computer at one table, with no pauses and
// the shuffle seeded, checking every finished game.
SelfPlayResult SelfPlay(int games, std::uint64_t seed);

}  // namespace redten::room
