#pragma once

#include <cstdint>

#include "engine/moves.h"

namespace redten::engine {

// The room's basic computer player, worked out on counts: what it would
// lead (toBeat null) or answer to toBeat with this hand. Fast enough to ask
// of every past play in every imagined world, which is how the strong
// player recognises a seat that plays this way. Which colour of ten goes
// into a pair or straight is left open: compare with SameShape.
Move BasicChoice(const Counts& hand, const Move* toBeat);
// Its showing answer (any red ten shown) and its follow answer.
bool BasicShows(const Counts& hand);
bool BasicFollows(const Counts& hand);

// Equal up to which tens of a pair, straight or bomb are red.
bool SameShape(const Move& a, const Move& b);

}  // namespace redten::engine
