// The card rules fed arbitrary card lists: classification, checks, sorting,
// grouping and the suggestion search never read out of bounds.
#include <span>

#include "rules/cards.h"
#include "rules/hint.h"
#include "rules/pai_type.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    if (size < 4) {
        return 0;
    }
    const MaxOutPai toBeat{static_cast<std::uint8_t>(data[0] % 4), data[1], data[2], data[3]};
    const std::span<const std::uint8_t> cards(data + 4, std::min<std::size_t>(size - 4, 64));

    GetPaiType(cards);
    CheckFirstOutPai(cards);
    CheckFollowOutPai(cards, toBeat);

    CardList sorted(cards.begin(), cards.end());
    SortPai(sorted);
    PaiGroups groups;
    GroupPai(sorted, groups);
    CardList byGroup(cards.begin(), cards.end());
    SortPaiByGroup(byGroup, groups);

    HintList hints;
    FindHintPai(hints, cards, toBeat.bteType, toBeat.bteCount, toBeat.bteMainPai);

    CardList hand(cards.begin(), cards.end());
    const std::size_t half = cards.size() / 2;
    RemoveOutPai(hand, cards.subspan(0, half));
    return 0;
}
