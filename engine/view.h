#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/game.h"
#include "engine/moves.h"

namespace redten::engine {

// Exactly what one seat may know: its own hand as dealt and every public
// event in order. Nothing else reaches a computer player.
struct SeatView {
    std::uint8_t seat = 0;
    CardList hand;
    std::vector<Event> events;
};

SeatView ViewOf(const Game& game, std::uint8_t seat);

// What the seat is asked for now.
enum class Ask : std::uint8_t { Nothing, Showing, Follow, Play };

// The table as every seat sees it, replayed from the public events by the
// room's own rules.
struct PublicState {
    std::uint8_t phase = kPhaseShowing;
    std::uint8_t cur = 0;
    std::uint8_t leader = 0;  // who led first: the holder of the three of suit 0
    bool leaderKnown = false;
    Move toBeat;  // the pass while a trick is to be led
    CardList toBeatCards;
    std::uint8_t toBeatSeat = 0;
    int passes = 0;
    int finished = 0;
    std::array<std::uint8_t, 4> left{13, 13, 13, 13};
    std::array<std::uint8_t, 4> liang{4, 4, 4, 4};
    std::array<std::uint8_t, 4> liangTimes{};
    std::array<std::uint8_t, 4> shown{};  // the answers as the showing ended
    std::array<std::uint8_t, 4> place{};
    std::array<std::uint8_t, 4> redsPlayed{};  // bits 1 (59) and 2 (72)
    std::array<CardList, 4> played;
    // False when the events break the rules, which a judged game never does.
    bool valid = true;
};

PublicState Replay(std::span<const Event> events);
// One event more.
void Step(PublicState& state, const Event& event);

// The play to beat as the rules compare it.
MaxOutPai MaxOutPaiOf(const PublicState& state);

// The seat's cards now: as dealt, less what it played.
CardList HandNow(const SeatView& view);

// Which red tens the hand holds: bits 1 (59) and 2 (72).
std::uint8_t RedTensIn(std::span<const std::uint8_t> hand);

// What the view asks of its seat, by the room's rules.
Ask AskOf(const SeatView& view, const PublicState& state);

}  // namespace redten::engine
