#include "engine/shuffle.h"

#include <utility>

namespace redten::engine {

std::uint64_t DealRng::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::uint32_t DealRng::Below(std::uint32_t n) {
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    std::uint64_t v;
    do {
        v = Next();
    } while (v >= limit);
    return static_cast<std::uint32_t>(v % n);
}

CardList OneDeck() {
    CardList deck;
    for (std::uint8_t c = 0; c < 52; ++c) {
        deck.push_back(c == 7 ? kRedTen59 : c == 46 ? kRedTen72 : c);
    }
    return deck;
}

std::array<CardList, 4> DealHands(DealRng& rng) {
    CardList deck = OneDeck();
    for (std::size_t i = deck.size() - 1; i > 0; --i) {
        std::swap(deck[i], deck[rng.Below(static_cast<std::uint32_t>(i + 1))]);
    }
    std::array<CardList, 4> hands;
    for (std::size_t s = 0; s < 4; ++s) {
        hands[s].assign(deck.begin() + static_cast<std::ptrdiff_t>(13 * s),
                        deck.begin() + static_cast<std::ptrdiff_t>(13 * s + 13));
    }
    return hands;
}

}  // namespace redten::engine
