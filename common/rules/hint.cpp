#include "rules/hint.h"

#include <algorithm>
#include <array>

#include "rules/pai_type.h"

namespace redten {
namespace {

// Inside the search the red tens may be carried as their plain codes so
// that they group with the other tens.
constexpr std::uint8_t kPlainTen59 = 7;
constexpr std::uint8_t kPlainTen72 = 46;

// One deck holds no more than four of a rank; with more decks a bigger run
// of one rank is no bomb, but its first four cards are.
constexpr std::uint8_t kLargestBomb = 4;

std::uint8_t BombSize(const PaiGroup& group) {
    return std::min<std::uint8_t>(group.count, kLargestBomb);
}

// A working copy of the hand, bounded to a hand's size.
struct Copy {
    std::array<std::uint8_t, kMaxHandCards> cards{};
    std::size_t n = 0;
    std::span<std::uint8_t> span() { return {cards.data(), n}; }
};

Copy CopyOf(std::span<const std::uint8_t> hand, bool plainTens) {
    Copy copy;
    copy.n = std::min(hand.size(), kMaxHandCards);
    for (std::size_t i = 0; i < copy.n; ++i) {
        std::uint8_t card = hand[i];
        if (plainTens) {
            card = card == kRedTen59 ? kPlainTen59 : card == kRedTen72 ? kPlainTen72 : card;
        }
        copy.cards[i] = card;
    }
    return copy;
}

void AddGroup(HintList& hints, const PaiGroup& group, std::size_t count) {
    AddHintPai(hints, std::span(group.bteCards.data(), std::min<std::size_t>(count, group.count)));
}

// Three cards of a larger run are a bomb of their own: offered after the
// whole bombs, so that four of a kind need not all be spent at once.
// Against a bomb of three only a higher rank answers (mustBeat).
void AddThreesOfFours(HintList& hints, std::span<const PaiGroup> g, bool mustBeat,
                      std::uint8_t main) {
    for (std::size_t k = g.size(); k-- > 0;) {
        if (g[k].count >= 4 && (!mustBeat || IsPaiLess(main, g[k].first()))) {
            AddGroup(hints, g[k], 3);
        }
    }
}

void AddBombs(HintList& hints, std::span<const std::uint8_t> hand) {
    Copy copy = CopyOf(hand, true);
    PaiGroups groups;
    SortPaiByGroup(copy.span(), groups);
    for (std::size_t k = groups.count; k-- > 0;) {
        if (groups.groups[k].count >= 3) {
            AddGroup(hints, groups.groups[k], BombSize(groups.groups[k]));
        }
    }
    // Any rank: they answer a play that is no bomb.
    AddThreesOfFours(hints, groups.view(), false, 0);
}

void AddRedTens(HintList& hints, std::span<const std::uint8_t> hand) {
    Copy copy = CopyOf(hand, false);
    SortPai(copy.span());
    if (copy.n < 2 || !IsMarked(copy.cards[0]) || !IsMarked(copy.cards[1])) {
        return;
    }
    // The pair is offered as the two cards the hand really holds: with more
    // decks those may be one red ten twice.
    const bool both = std::count(copy.cards.begin(), copy.cards.begin() + copy.n, kRedTen59) > 0 &&
                      std::count(copy.cards.begin(), copy.cards.begin() + copy.n, kRedTen72) > 0;
    const std::array<std::uint8_t, 2> pair =
        both ? std::array<std::uint8_t, 2>{kRedTen59, kRedTen72}
             : std::array<std::uint8_t, 2>{copy.cards[0], copy.cards[1]};
    AddHintPai(hints, pair);
}

void FindSingles(HintList& hints, std::span<const std::uint8_t> hand, std::uint8_t main) {
    Copy copy = CopyOf(hand, false);
    PaiGroups groups;
    SortPaiByGroup(copy.span(), groups);
    const auto g = groups.view();
    std::size_t f = g.empty() ? 0 : g.size() - 1;
    for (std::size_t k = 0; k < g.size(); ++k) {
        if (g[k].count == 1) {
            f = k;
            break;
        }
    }
    for (std::size_t k = g.size(); k-- > f;) {
        if (IsPaiLess(main, g[k].first())) {
            AddHintPai(hints, std::span(&g[k].bteCards[0], 1));
        }
    }
    SortPai(copy.span());
    for (std::size_t k = copy.n; k-- > 0;) {
        if (IsPaiLess(main, copy.cards[k])) {
            AddHintPai(hints, std::span(&copy.cards[k], 1));
        }
    }
}

// Two cards of a larger run of tens may be the two red tens, which are no
// pair but the play nothing beats; then the pair takes a plain ten instead.
void AddPairOf(HintList& hints, const PaiGroup& group) {
    const auto red = [](std::uint8_t c) { return c == kPlainTen59 || c == kPlainTen72; };
    std::array<std::uint8_t, 2> pair{group.bteCards[0], group.bteCards[1]};
    if (red(pair[0]) && red(pair[1])) {
        const auto plain = std::find_if_not(group.bteCards.begin() + 2,
                                            group.bteCards.begin() + group.count, red);
        if (plain == group.bteCards.begin() + group.count) {
            return;
        }
        pair[1] = *plain;
    }
    AddHintPai(hints, pair);
}

void FindPairs(HintList& hints, std::span<const std::uint8_t> hand, std::uint8_t main) {
    Copy copy = CopyOf(hand, true);
    PaiGroups groups;
    SortPaiByGroup(copy.span(), groups);
    const auto g = groups.view();
    for (std::size_t k = g.size(); k-- > 0;) {
        if (g[k].count == 2 && IsPaiLess(main, g[k].first())) {
            AddGroup(hints, g[k], 2);
        }
    }
    for (std::size_t k = g.size(); k-- > 0;) {
        if (g[k].count >= 3 && IsPaiLess(main, g[k].first())) {
            AddPairOf(hints, g[k]);
        }
    }
}

void FindStraights(HintList& hints, std::span<const std::uint8_t> hand, std::size_t length,
                   std::uint8_t main) {
    // Anything shorter than three cards is no straight, whatever the room said.
    if (length < 3) {
        return;
    }
    Copy copy = CopyOf(hand, true);
    PaiGroups groups;
    SortPaiByGroup(copy.span(), groups);
    const std::size_t g = groups.count;
    if (g < length) {
        return;
    }
    std::array<std::uint8_t, kMaxHandCards> u{};
    for (std::size_t k = 0; k < g; ++k) {
        u[k] = groups.groups[k].first();
    }
    SortPai(std::span(u.data(), g));
    std::size_t p = 0;
    while (p < g && Rank(u[p]) == kRankTwo) {
        ++p;
    }
    if (p >= g || g - p < length || !IsPaiLess(main, u[p])) {
        return;
    }
    for (std::size_t o = p; o < g; ++o) {
        std::size_t i = 1;
        for (std::size_t k = o + 1; k < g; ++k) {
            if (Rank(u[k - 1]) - Rank(u[k]) != 1) {
                break;
            }
            if (i == 1 && !IsPaiLess(main, u[k - 1])) {
                return;
            }
            ++i;
            if (i >= length) {
                AddHintPai(hints, std::span(&u[o], length));
                break;
            }
        }
    }
}

void FindBombs(HintList& hints, std::span<const std::uint8_t> hand, std::size_t size,
               std::uint8_t main) {
    Copy copy = CopyOf(hand, true);
    PaiGroups groups;
    SortPaiByGroup(copy.span(), groups);
    const auto g = groups.view();
    for (std::size_t k = g.size(); k-- > 0;) {
        if (g[k].count >= 3 && BombSize(g[k]) == size && IsPaiLess(main, g[k].first())) {
            AddGroup(hints, g[k], size);
        }
    }
    for (std::size_t k = g.size(); k-- > 0;) {
        if (g[k].count >= 3 && BombSize(g[k]) > size) {
            AddGroup(hints, g[k], BombSize(g[k]));
        }
    }
    if (size == 3) {
        AddThreesOfFours(hints, g, true, main);
    }
}

}  // namespace

void AddHintPai(HintList& hints, std::span<const std::uint8_t> cards) {
    if (hints.lngHintCount < 0 || hints.lngHintCount >= static_cast<std::int32_t>(kMaxHints)) {
        return;
    }
    HintPai& hint = hints.udtHintPai[static_cast<std::size_t>(hints.lngHintCount)];
    const std::size_t k = std::min(cards.size(), kMaxHandCards);
    for (std::size_t i = 0; i < k; ++i) {
        const std::uint8_t card = cards[i];
        hint.bteCards[i] = card == kPlainTen59 ? kRedTen59 : card == kPlainTen72 ? kRedTen72 : card;
    }
    hint.lngCount = static_cast<std::int32_t>(k);
    ++hints.lngHintCount;
}

bool FindHintPai(HintList& hints, std::span<const std::uint8_t> hand, std::uint8_t toBeatType,
                 std::uint8_t toBeatCount, std::uint8_t toBeatMain) {
    hints.lngHintCount = 0;
    hand = hand.first(std::min(hand.size(), kMaxHandCards));
    switch (toBeatType) {
        case kTypeRedTens:
            break;
        case kTypeBomb:
            FindBombs(hints, hand, toBeatCount, toBeatMain);
            AddRedTens(hints, hand);
            break;
        case kTypeSingle:
            FindSingles(hints, hand, toBeatMain);
            AddBombs(hints, hand);
            AddRedTens(hints, hand);
            break;
        case kTypePair:
            FindPairs(hints, hand, toBeatMain);
            AddBombs(hints, hand);
            AddRedTens(hints, hand);
            break;
        case kTypeStraight:
            FindStraights(hints, hand, toBeatCount, toBeatMain);
            AddBombs(hints, hand);
            AddRedTens(hints, hand);
            break;
        default:
            break;
    }
    if (hints.lngHintCount > 0) {
        hints.lngHintIndex = 1;
        return true;
    }
    return false;
}

HintPress PressHint(GameState& state) {
    HintList& hints = state.hints;
    if (hints.lngHintCount <= 0) {
        const MaxOutPai& toBeat = state.udtMaxOutPai;
        if (!FindHintPai(hints, state.bteMyPai, toBeat.bteType, toBeat.bteCount,
                         toBeat.bteMainPai)) {
            return HintPress::Pass;
        }
    }
    if (hints.lngHintIndex < 1 || hints.lngHintIndex > hints.lngHintCount) {
        hints.lngHintIndex = 1;
    }
    const HintPai& hint = hints.udtHintPai[static_cast<std::size_t>(hints.lngHintIndex - 1)];
    state.bteSelected.assign(state.bteMyPai.size(), 0);
    for (std::int32_t i = 0; i < hint.lngCount; ++i) {
        for (std::size_t j = 0; j < state.bteMyPai.size(); ++j) {
            if (state.bteMyPai[j] == hint.bteCards[static_cast<std::size_t>(i)] &&
                state.bteSelected[j] == 0) {
                state.bteSelected[j] = 1;
                break;
            }
        }
    }
    ++hints.lngHintIndex;
    if (hints.lngHintIndex > hints.lngHintCount) {
        hints.lngHintIndex = 1;
    }
    return HintPress::Selected;
}

}  // namespace redten
