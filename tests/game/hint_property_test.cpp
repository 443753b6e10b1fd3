#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "rules/hint.h"
#include "rules/pai_type.h"

namespace redten {
namespace {

// One deck as the table carries it: the red tens marked.
CardList Deck() {
    CardList deck;
    for (std::uint8_t c = 0; c < 52; ++c) {
        deck.push_back(c == 7 ? kRedTen59 : c == 46 ? kRedTen72 : c);
    }
    return deck;
}

// A random play of some type, drawn from the cards outside the hand.
std::optional<MaxOutPai> RandomPlay(std::mt19937& rng, const CardList& pool) {
    std::uniform_int_distribution<int> kind(0, 5);
    CardList play;
    switch (kind(rng)) {
        case 0:  // single
            play = {pool[rng() % pool.size()]};
            break;
        case 1:
        case 2: {  // a pair or a bomb of one rank
            const std::size_t want = kind(rng) % 3 + 2;
            const std::uint8_t rank = static_cast<std::uint8_t>(rng() % 13);
            for (std::uint8_t card : pool) {
                if (Rank(Normalise(card)) == rank && play.size() < want) {
                    play.push_back(card);
                }
            }
            break;
        }
        case 3:
        case 4: {  // a straight
            const std::size_t length = 3 + rng() % 6;
            const std::size_t top = length - 1 + rng() % (12 - length + 1);
            for (std::size_t r = top + 1 - length; r <= top; ++r) {
                for (std::uint8_t card : pool) {
                    if (Rank(Normalise(card)) == r) {
                        play.push_back(card);
                        break;
                    }
                }
            }
            break;
        }
        default:
            play = {kRedTen59, kRedTen72};
            break;
    }
    const PaiClass c = GetPaiType(play);
    if (c.type == kNoType) {
        return std::nullopt;
    }
    return MaxOutPai{1, c.type, c.main, static_cast<std::uint8_t>(play.size())};
}

bool AnySubsetBeats(const CardList& hand, const MaxOutPai& toBeat) {
    const std::size_t n = hand.size();
    CardList subset;
    for (std::uint32_t mask = 1; mask < (1u << n); ++mask) {
        subset.clear();
        for (std::size_t i = 0; i < n; ++i) {
            if (mask & (1u << i)) {
                subset.push_back(hand[i]);
            }
        }
        if (CheckFollowOutPai(subset, toBeat).ok) {
            return true;
        }
    }
    return false;
}

bool IsSubsetOf(const CardList& play, CardList hand) {
    for (std::uint8_t card : play) {
        const auto it = std::find(hand.begin(), hand.end(), card);
        if (it == hand.end()) {
            return false;
        }
        hand.erase(it);
    }
    return true;
}

std::string Describe(const CardList& hand, const MaxOutPai& toBeat) {
    return "hand " + testing::PrintToString(hand) + " type " + std::to_string(toBeat.bteType) +
           " main " + std::to_string(toBeat.bteMainPai) + " count " +
           std::to_string(toBeat.bteCount);
}

// Every suggestion is cards of the hand and a play the rules accept.
void ExpectSuggestionsAccepted(const HintList& hints, const CardList& hand, const MaxOutPai& toBeat) {
    for (std::int32_t i = 0; i < hints.lngHintCount; ++i) {
        const HintPai& h = hints.udtHintPai[static_cast<std::size_t>(i)];
        const CardList s(h.bteCards.begin(), h.bteCards.begin() + h.lngCount);
        ASSERT_TRUE(IsSubsetOf(s, hand)) << Describe(hand, toBeat);
        const PlayCheck check = CheckFollowOutPai(s, toBeat);
        ASSERT_TRUE(check.ok) << Describe(hand, toBeat) << " suggestion "
                              << testing::PrintToString(s) << ": " << check.message;
    }
}

// Three cards of a rank that beat the play are offered, even from four.
void ExpectEveryBeatingBombOfThree(const HintList& hints, const CardList& hand,
                                   const MaxOutPai& toBeat) {
    for (std::uint8_t rank = 0; rank < 13; ++rank) {
        CardList three;
        for (std::uint8_t card : hand) {
            if (Rank(Normalise(card)) == rank && three.size() < 3) {
                three.push_back(card);
            }
        }
        if (three.size() < 3 || !CheckFollowOutPai(three, toBeat).ok) {
            continue;
        }
        bool offered = false;
        for (std::int32_t i = 0; i < hints.lngHintCount; ++i) {
            const HintPai& h = hints.udtHintPai[static_cast<std::size_t>(i)];
            offered = offered || (h.lngCount == 3 && Rank(Normalise(h.bteCards[0])) == rank &&
                                  GetPaiType(std::span(h.bteCards.data(), 3)).type == kTypeBomb);
        }
        ASSERT_TRUE(offered) << Describe(hand, toBeat) << " rank " << int(rank);
    }
}

TEST(HintProperties, EverySuggestionIsAcceptedAndNothingFoundMeansNothingBeats) {
    std::mt19937 rng(20261207);
    const CardList deck = Deck();
    int cases = 0, emptyCases = 0;
    HintList hints;
    while (cases < 100000) {
        CardList shuffled = deck;
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        // Mostly short hands, so that the brute force stays cheap; some full.
        const std::size_t n = rng() % 4 == 0 ? 13 : 1 + rng() % 9;
        const CardList hand(shuffled.begin(), shuffled.begin() + n);
        const CardList pool(shuffled.begin() + n, shuffled.end());
        const auto toBeat = RandomPlay(rng, pool);
        if (!toBeat) {
            continue;
        }
        ++cases;
        const bool found =
            FindHintPai(hints, hand, toBeat->bteType, toBeat->bteCount, toBeat->bteMainPai);
        ASSERT_NO_FATAL_FAILURE(ExpectSuggestionsAccepted(hints, hand, *toBeat));
        ASSERT_NO_FATAL_FAILURE(ExpectEveryBeatingBombOfThree(hints, hand, *toBeat));
        if (!found && n <= 9) {
            ++emptyCases;
            ASSERT_FALSE(AnySubsetBeats(hand, *toBeat)) << Describe(hand, *toBeat);
        }
    }
    EXPECT_GT(emptyCases, 1000);
}

TEST(HintProperties, WithTwoDecksEverySuggestionIsStillAccepted) {
    std::mt19937 rng(104);
    CardList decks = Deck();
    const CardList second = Deck();
    decks.insert(decks.end(), second.begin(), second.end());
    HintList hints;
    for (int cases = 0; cases < 20000;) {
        CardList shuffled = decks;
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        const std::size_t n = 10 + rng() % 17;
        const CardList hand(shuffled.begin(), shuffled.begin() + n);
        const CardList pool(shuffled.begin() + n, shuffled.end());
        const auto toBeat = RandomPlay(rng, pool);
        if (!toBeat) {
            continue;
        }
        ++cases;
        FindHintPai(hints, hand, toBeat->bteType, toBeat->bteCount, toBeat->bteMainPai);
        ASSERT_NO_FATAL_FAILURE(ExpectSuggestionsAccepted(hints, hand, *toBeat));
    }
}

}  // namespace
}  // namespace redten
