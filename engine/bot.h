#pragma once

#include <cstdint>

#include "rules/game_state.h"

namespace redten::engine {

// The computer players' choices. They see what a player sees: their own
// hand and the play to beat.

// Shows its red tens when the hand is strong, else nothing.
std::uint8_t BotShowingAnswer(const CardList& hand);
// Whether to follow another seat's shown red ten with its own.
bool BotFollows(const CardList& hand);
// A lead: the group of the lowest rank.
CardList BotLead(const CardList& hand);
// A follow: the first suggestion, keeping bombs and the red tens for the
// end of the hand; the pass (254) when it will not or cannot beat.
CardList BotFollow(const CardList& hand, const MaxOutPai& toBeat);

}  // namespace redten::engine
