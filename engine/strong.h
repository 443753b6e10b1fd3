#pragma once

#include <array>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/player.h"

namespace redten::engine {

struct StrongOptions {
    // Worlds every candidate play is played out in. When the other seats'
    // answers and plays tell worlds apart, they come from `chains` walks
    // that start from the best of `drawn` draws, take `burn` steps and then
    // one world every `thin` steps.
    int worlds = 80;
    int chains = 8;
    int drawn = 8;
    int burn = 200;
    int thin = 20;
    // After `screen` worlds only the `keep` best plays go on being played
    // out (0: never).
    int screen = 24;
    int keep = 8;
    // Show the red tens when showing them gains more than this on average,
    // in stakes.
    double showAbove = 0.0;
    // Reads sides from who beat whom: a seat seldom takes a trick from its
    // own side when it could pass, so such plays say who is with whom.
    bool readSides = false;
    // A time budget of its own per play, in ms (0: none): it stops after
    // softMs unless the two best plays are still close, and at hardMs at
    // the latest. The caller's deadline still comes first.
    int softMs = 0;
    int hardMs = 0;
};

// The expert level: the same search with many more worlds, sides read
// from the plays and a budget of time per decision.
StrongOptions ExpertOptions();

// Information-set search: it imagines the hidden cards many times over,
// consistently with everything public and weighted by how likely each
// world makes the other seats' answers and plays, plays every candidate out
// in each with a quick policy, and takes the best on average. It reads
// nothing but its view.
std::unique_ptr<Player> MakeStrongPlayer(const StrongOptions& options);
// One of the deals the strong player imagines: every seat's cards now,
// who is red, and which seats it expects to play as the basic player.
struct ImaginedDeal {
    std::array<Counts, 4> hands;
    std::array<bool, 4> red;
    std::array<bool, 4> basic;
};
// The deals it would search for this view and seed.
std::vector<ImaginedDeal> ImagineDeals(const SeatView& view, const StrongOptions& options,
                                       std::uint64_t seed);

// One answer the seat could give, valued over worlds it imagines: the share
// of them its side wins and its stakes on average.
struct ActionValue {
    Decision action;
    int worlds = 0;
    double win = 0;    // 0..1
    double stake = 0;  // the multiplier included
};
// Every distinct answer the view is asked for (each showing answer, each
// play up to suits), played out in the same worlds: all of them in the
// first `screen` worlds (options.screen, 0: all), then the `keep` best and
// the same answer as alwaysKept, if given, in the rest. Nothing when nothing is
// asked; a single action, unvalued, when there is no choice.
std::vector<ActionValue> ValueActions(const SeatView& view, const StrongOptions& options,
                                      const Limits& limits, const Decision* alwaysKept = nullptr);

// The rollout policy alone, for measuring it.
std::unique_ptr<Player> MakeQuickPlayer();

// The same from "worlds=80:drawn=4:show=0.1" (any of them); null when a
// word is not understood.
std::unique_ptr<Player> MakeStrongPlayer(std::string_view settings);

}  // namespace redten::engine
