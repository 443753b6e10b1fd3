#pragma once

#include <array>
#include <cstdint>

#include "engine/moves.h"
#include "engine/shuffle.h"

namespace redten::engine {

// A deal played out fast, with every hand known: what the strong player
// imagines inside one sampled world. The same rules as Game, on counts.
struct SimState {
    std::array<Counts, 4> hands{};
    std::array<std::uint8_t, 4> left{};
    std::array<bool, 4> red{};
    std::array<std::uint8_t, 4> place{};
    std::uint8_t cur = 0;
    bool lead = true;
    Move toBeat;
    std::uint8_t toBeatSeat = 0;
    std::uint8_t passes = 0;
    std::uint8_t finished = 0;
    // Whose side is public (a red ten shown or played), and how many red
    // tens have a public holder: nobody at a table knows more about sides.
    std::array<bool, 4> revealed{};
    std::uint8_t tensKnown = 0;
    std::array<bool, 4> basic{};  // seats that play like the basic player
    int multiplier = 1;
    bool over = false;
    bool redWon = false;

    // Hands, sides and the seat to lead; left counted from the hands.
    void Start(const std::array<Counts, 4>& dealt, const std::array<bool, 4>& sides,
               std::uint8_t leader);
    // The seat to act plays m, which must be legal.
    void Apply(const Move& m);
    // The seat's result in stakes (the multiplier included); 0 while running.
    int Score(std::uint8_t seat) const;
    // Whether seat p can tell that q is on its side.
    bool KnowsPartner(std::uint8_t p, std::uint8_t q) const;

  private:
    std::uint8_t NextHolding(std::uint8_t seat) const;
    void CheckOver();
};

// How the strong player expects everybody to play in its imagined worlds,
// each seat knowing what it could know of the sides: a quick judgement of
// hand shapes.
Move RolloutMove(const SimState& state);

// Plays the state out with RolloutMove; at most a full deal's plays.
void Rollout(SimState& state);

// Plays needed to empty the hand, counting a run of lone cards as one
// straight: the measure the rollout policy plays to shrink.
int PlaysNeeded(const Counts& hand);

}  // namespace redten::engine
