// How long the suggestion search and the classifier take on full hands.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

#include "rules/hint.h"
#include "rules/pai_type.h"

namespace redten {
namespace {

std::vector<CardList> FullHands(std::size_t count) {
    CardList deck;
    for (std::uint8_t c = 0; c < 52; ++c) {
        deck.push_back(c == 7 ? kRedTen59 : c == 46 ? kRedTen72 : c);
    }
    std::mt19937 rng(13);
    std::vector<CardList> hands;
    while (hands.size() < count) {
        std::shuffle(deck.begin(), deck.end(), rng);
        for (std::size_t i = 0; i + 13 <= 52 && hands.size() < count; i += 13) {
            hands.emplace_back(deck.begin() + i, deck.begin() + i + 13);
        }
    }
    return hands;
}

// A low play of each type, so that most hands have many answers.
MaxOutPai ToBeat(std::uint8_t type) {
    switch (type) {
        case kTypeSingle:
            return {1, kTypeSingle, 1, 1};
        case kTypePair:
            return {1, kTypePair, 1, 2};
        case kTypeStraight:
            return {1, kTypeStraight, 4, 5};
        case kTypeBomb:
            return {1, kTypeBomb, 0, 3};
        default:
            return {1, kTypeRedTens, kRedTen59, 2};
    }
}

void BM_FindHintPai(benchmark::State& state) {
    const auto hands = FullHands(256);
    const MaxOutPai toBeat = ToBeat(static_cast<std::uint8_t>(state.range(0)));
    HintList hints;
    std::size_t i = 0;
    for (auto _ : state) {
        const CardList& hand = hands[i++ % hands.size()];
        benchmark::DoNotOptimize(
            FindHintPai(hints, hand, toBeat.bteType, toBeat.bteCount, toBeat.bteMainPai));
        benchmark::DoNotOptimize(hints.lngHintCount);
    }
    state.SetLabel(GetPaiTypeName(toBeat.bteType));
}
BENCHMARK(BM_FindHintPai)->DenseRange(kTypeSingle, kTypeRedTens);

void BM_GetPaiType(benchmark::State& state) {
    const std::vector<CardList> plays = {
        {5}, {5, 18}, {0, 1, 2, 3, 4, 5, 6, 59, 8, 9, 10, 11}, {5, 18, 31, 44}, {59, 72}, {0, 2, 4}};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(GetPaiType(plays[i++ % plays.size()]));
    }
}
BENCHMARK(BM_GetPaiType);

}  // namespace
}  // namespace redten

BENCHMARK_MAIN();
