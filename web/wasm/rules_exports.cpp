// The table's rules for the browser: the same validation, suggestions and
// sorting as the desktop table, compiled to WebAssembly. The page writes
// cards into the exchange buffer and reads the answer back from it; the
// functions keep nothing between calls but the suggestions of the turn.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "rules/cards.h"
#include "rules/game_state.h"
#include "rules/hint.h"
#include "rules/pai_type.h"

using namespace redten;

namespace {

std::uint8_t exchange[kMaxHandCards];
char text[256];
HintList hints;

std::span<const std::uint8_t> Cards(int n) {
    return {exchange, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(kMaxHandCards)))};
}

}  // namespace

extern "C" {

std::uint8_t* rt_buffer() { return exchange; }
const char* rt_text() { return text; }

// The play's type and main card, as type + 256 × main; kNoType when it is
// no play.
int rt_classify(int n) {
    const PaiClass c = GetPaiType(Cards(n));
    return c.type + 256 * c.main;
}

// Whether the cards may be played now: leading, or beating the play given.
// A refusal's reason is left in rt_text(), in UTF-8.
int rt_check(int n, int leading, int seat, int type, int main, int count) {
    const MaxOutPai toBeat{static_cast<std::uint8_t>(seat), static_cast<std::uint8_t>(type),
                           static_cast<std::uint8_t>(main), static_cast<std::uint8_t>(count)};
    const PlayCheck check = leading ? CheckFirstOutPai(Cards(n)) : CheckFollowOutPai(Cards(n), toBeat);
    const std::size_t size = std::min(check.message.size(), sizeof text - 1);
    std::memcpy(text, check.message.data(), size);
    text[size] = '\0';
    return check.ok ? 1 : 0;
}

// Builds the turn's suggestions from the hand in the buffer: how many.
int rt_hints(int n, int type, int count, int main) {
    FindHintPai(hints, Cards(n), static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(count),
                static_cast<std::uint8_t>(main));
    return hints.lngHintCount;
}

// Suggestion i (from 0) into the buffer: its number of cards.
int rt_hint(int i) {
    if (i < 0 || i >= hints.lngHintCount) {
        return 0;
    }
    const HintPai& h = hints.udtHintPai[static_cast<std::size_t>(i)];
    const auto n = static_cast<std::size_t>(std::clamp<std::int32_t>(h.lngCount, 0, kMaxHandCards));
    std::memcpy(exchange, h.bteCards.data(), n);
    return static_cast<int>(n);
}

// Sorts the cards in the buffer as the table does: by rank, or by groups.
void rt_sort(int n, int byGroup) {
    const std::span<std::uint8_t> cards{exchange, Cards(n).size()};
    if (byGroup) {
        PaiGroups groups;
        SortPaiByGroup(cards, groups);
    } else {
        SortPai(cards);
    }
}

}  // extern "C"
