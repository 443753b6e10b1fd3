#pragma once

#include <array>
#include <cstdint>

#include "rules/cards.h"

namespace redten::engine {

// A small seeded generator (SplitMix64): the same seed deals the same cards
// on every machine and every standard library, so games can be replayed.
class DealRng {
public:
    explicit DealRng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // Uniform in 0..n-1 (n > 0), without modulo bias.
    std::uint32_t Below(std::uint32_t n);

private:
    std::uint64_t state_;
};

// One deck as the table carries it: 0..51 with the red tens marked (59, 72).
CardList OneDeck();

// Shuffles one deck (Fisher-Yates) and deals four hands of 13.
std::array<CardList, 4> DealHands(DealRng& rng);

}  // namespace redten::engine
