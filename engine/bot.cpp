#include "engine/bot.h"

#include <algorithm>

#include "rules/hint.h"
#include "rules/pai_type.h"

namespace redten::engine {
namespace {

// Hands this short spend their bombs and red tens freely.
constexpr std::size_t kShortHand = 6;

int Strength(const CardList& hand) {
    return static_cast<int>(std::count_if(hand.begin(), hand.end(), [](std::uint8_t c) {
        return IsMarked(c) || Rank(c) >= 11;  // red tens, aces, twos
    }));
}

std::uint8_t RedTensHeld(const CardList& hand) {
    const bool a = std::find(hand.begin(), hand.end(), kRedTen59) != hand.end();
    const bool b = std::find(hand.begin(), hand.end(), kRedTen72) != hand.end();
    return static_cast<std::uint8_t>((a ? 1 : 0) | (b ? 2 : 0));
}

}  // namespace

std::uint8_t BotShowingAnswer(const CardList& hand) {
    return Strength(hand) >= 5 ? RedTensHeld(hand) : 0;
}

bool BotFollows(const CardList& hand) { return Strength(hand) >= 4; }

CardList BotLead(const CardList& hand) {
    if (hand.empty()) {
        return {};
    }
    CardList sorted = hand;
    SortPai(sorted);
    const std::uint8_t lowest = sorted.back();
    CardList group;
    for (std::uint8_t card : sorted) {
        if (IsSamePai(card, lowest)) {
            group.push_back(card);
        }
    }
    if (GetPaiType(group).type == kNoType) {
        return {lowest};
    }
    return group;
}

CardList BotFollow(const CardList& hand, const MaxOutPai& toBeat) {
    HintList hints;
    if (FindHintPai(hints, hand, toBeat.bteType, toBeat.bteCount, toBeat.bteMainPai)) {
        for (std::int32_t i = 0; i < hints.lngHintCount; ++i) {
            const HintPai& h = hints.udtHintPai[static_cast<std::size_t>(i)];
            CardList play(h.bteCards.begin(), h.bteCards.begin() + h.lngCount);
            const std::uint8_t type = GetPaiType(play).type;
            const bool precious = type == kTypeBomb || type == kTypeRedTens ||
                                  (type == kTypeSingle && IsMarked(play[0]));
            if (!precious || hand.size() <= kShortHand || toBeat.bteType >= kTypeBomb) {
                return play;
            }
        }
    }
    return {kPassCard};
}

}  // namespace redten::engine
