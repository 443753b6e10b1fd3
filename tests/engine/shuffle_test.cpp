#include <gtest/gtest.h>

#include <algorithm>

#include "engine/shuffle.h"

namespace redten::engine {
namespace {

TEST(DealRng, SameSeedSameDealEverywhere) {
    DealRng a(42), b(42);
    const auto first = DealHands(a);
    EXPECT_EQ(DealHands(b), first);
    // Pinned, so that a change of the generator or the shuffle is noticed:
    // stored games are replayed from their seeds' deals.
    EXPECT_EQ(first[0], (CardList{6, 28, 12, 39, 40, 0, 26, 25, 22, 4, 72, 36, 27}));
    EXPECT_EQ(first[3], (CardList{38, 30, 5, 50, 21, 23, 11, 2, 34, 37, 8, 10, 9}));
    DealRng c(43);
    EXPECT_NE(DealHands(c), first);
}

TEST(DealRng, EveryDealIsOneWholeDeckInFourHandsOfThirteen) {
    DealRng rng(1);
    CardList deck = OneDeck();
    std::sort(deck.begin(), deck.end());
    for (int i = 0; i < 200; ++i) {
        const auto hands = DealHands(rng);
        CardList all;
        for (const CardList& h : hands) {
            ASSERT_EQ(h.size(), 13u);
            all.insert(all.end(), h.begin(), h.end());
        }
        std::sort(all.begin(), all.end());
        ASSERT_EQ(all, deck);
    }
}

TEST(DealRng, BelowStaysInRange) {
    DealRng rng(9);
    for (std::uint32_t n : {1u, 2u, 3u, 52u, 1000u}) {
        for (int i = 0; i < 1000; ++i) {
            ASSERT_LT(rng.Below(n), n);
        }
    }
}

}  // namespace
}  // namespace redten::engine
