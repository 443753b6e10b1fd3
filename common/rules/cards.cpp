#include "rules/cards.h"

#include <algorithm>
#include <utility>

namespace redten {

bool IsPaiLess(std::uint8_t a, std::uint8_t b) {
    if (IsMarked(a)) {
        return false;
    }
    if (IsMarked(b)) {
        return true;
    }
    return Rank(a) < Rank(b);
}

bool IsSamePai(std::uint8_t a, std::uint8_t b) {
    if (IsMarked(a) || IsMarked(b)) {
        return IsMarked(a) && IsMarked(b);
    }
    return Rank(a) == Rank(b);
}

void SortPai(std::span<std::uint8_t> cards) {
    const std::size_t n = cards.size();
    for (std::size_t j = 0; j + 1 < n; ++j) {
        for (std::size_t i = j + 1; i < n; ++i) {
            if (IsPaiLess(cards[j], cards[i])) {
                std::swap(cards[j], cards[i]);
            }
        }
    }
}

void GroupPai(std::span<const std::uint8_t> sorted, PaiGroups& out) {
    out.count = 0;
    const std::size_t n = std::min(sorted.size(), kMaxHandCards);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t card = sorted[i];
        if (out.count > 0) {
            PaiGroup& current = out.groups[out.count - 1];
            if (current.count < kMaxGroupCards && IsSamePai(card, current.first())) {
                current.bteCards[current.count++] = card;
                continue;
            }
        }
        PaiGroup& fresh = out.groups[out.count++];
        fresh.bteCards[0] = card;
        fresh.count = 1;
    }
}

void SortPaiByGroup(std::span<std::uint8_t> cards, PaiGroups& groups) {
    cards = cards.first(std::min(cards.size(), kMaxHandCards));
    SortPai(cards);
    GroupPai(cards, groups);
    auto& g = groups.groups;
    const std::size_t start =
        groups.count > 0 && (g[0].first() == kRedTen59 || g[0].first() == kRedTen72) ? 1 : 0;
    for (std::size_t a = start; a + 1 < groups.count; ++a) {
        for (std::size_t b = a + 1; b < groups.count; ++b) {
            if (g[a].count < g[b].count ||
                (g[a].count == g[b].count && IsPaiLess(g[a].first(), g[b].first()))) {
                std::swap(g[a], g[b]);
            }
        }
    }
    std::size_t pos = 0;
    for (const PaiGroup& group : groups.view()) {
        for (std::size_t i = 0; i < group.count; ++i) {
            cards[pos++] = group.bteCards[i];
        }
    }
}

void RemoveOutPai(CardList& hand, std::span<const std::uint8_t> played) {
    for (const std::uint8_t card : played) {
        const auto found = std::find(hand.begin(), hand.end(), card);
        if (found != hand.end()) {
            hand.erase(found);
        }
    }
}

}  // namespace redten
