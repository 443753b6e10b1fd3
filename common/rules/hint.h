#pragma once

#include <cstdint>
#include <span>

#include "rules/game_state.h"

namespace redten {

// Appends one suggestion (at most kMaxHandCards cards), carrying the red
// tens as 59 and 72; a full list drops it.
void AddHintPai(HintList& hints, std::span<const std::uint8_t> cards);

// Builds from scratch the list of plays from hand that beat the play of
// type toBeatType, toBeatCount cards and main card toBeatMain, in the order
// they are offered. True when there is at least one; the next press then
// shows the first.
bool FindHintPai(HintList& hints, std::span<const std::uint8_t> hand, std::uint8_t toBeatType,
                 std::uint8_t toBeatCount, std::uint8_t toBeatMain);

enum class HintPress { Selected, Pass };

// The hint button on the own turn: builds the list when there is none, then
// selects the next suggestion's cards in the hand (bteSelected). Pass when
// nothing in the hand beats the play: the caller passes for the player.
HintPress PressHint(GameState& state);

}  // namespace redten
