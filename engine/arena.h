#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "engine/game.h"

namespace redten::engine {

struct ArenaOptions {
    std::string a;  // the policy under test, alone in each seat in turn
    std::string b;  // the other three, and all four in the baseline
    int deals = 100;
    std::uint64_t seed = 1;
    int threads = 1;
    // A cap on each decision, as the room has; none keeps every figure but
    // the times the same for a seed.
    std::optional<int> thinkMs;
};

// A mean over deals and the half-width of its 95 % confidence interval.
struct Interval {
    double mean = 0;
    double half = 0;
};

struct PolicyFigures {
    std::string name;
    int seats = 0;      // 1: alone; 3: the other three
    Interval winShare;  // games its side won
    Interval gain;      // ... less the baseline's in the same seats of the same deal
    // Stakes won per game. Over the four seats of a deal the baseline's
    // stakes sum to zero, so this is a paired gain as it stands.
    Interval stake;
    std::size_t decisions = 0;
    double medianMs = 0, p99Ms = 0, maxMs = 0;
};

struct ArenaResult {
    int deals = 0;
    int games = 0;
    Interval baselineWinShare;
    PolicyFigures a, b;
    // The first rule a game broke or the first illegal decision; empty when
    // every game was sound.
    std::string failure;
};

// Duplicate deals: every deal is played with A alone in each of the four
// seats against three B, and once with four B as the paired baseline.
// Deals are spread over the threads; the figures do not depend on them.
ArenaResult RunArena(const ArenaOptions& options);
void PrintArena(const ArenaOptions& options, const ArenaResult& result, std::ostream& out);

// What must hold of every played game: each dealt card was played or is
// still held exactly once, places are 1..k for those who went out, the
// scores sum to zero and the winning side went out entirely.
std::optional<std::string> CheckPlayedGame(const Game& game);

// `--arena A,B`: checks the words, runs and prints; the exit status.
int ArenaCommand(const std::string& pair, long long deals, std::uint64_t seed, long long threads,
                 std::optional<int> thinkMs, std::ostream& out, std::ostream& err);

}  // namespace redten::engine
