#pragma once

#include <memory>

#include "engine/player.h"

namespace redten::engine {

struct StrongOptions {
    // Worlds every candidate play is played out in, drawn from `drawn` times
    // as many by how well each explains what the other seats did.
    int worlds = 40;
    int drawn = 4;
    // Show the red tens when the expected result without showing, in
    // stakes, is above this.
    double showAbove = 0.0;
};

// Information-set search: it imagines the hidden cards many times over,
// consistently with everything public and weighted by how likely each
// world makes the other seats' answers and plays, plays every candidate out
// in each with a quick policy, and takes the best on average. It reads
// nothing but its view.
std::unique_ptr<Player> MakeStrongPlayer(const StrongOptions& options);

}  // namespace redten::engine
