#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace redten {

// A card is one byte: suit × 13 + rank index, rank 0 = three … 11 = ace,
// 12 = two. The red tens (suits 0 and 3) are always carried marked, as 59
// and 72, so that a single red ten outranks everything; a code of 52 or more
// is marked. kPassCard alone is a pass. The message format carries these
// bytes as they are.
using CardList = std::vector<std::uint8_t>;

// A play of this single card is a pass.
inline constexpr std::uint8_t kPassCard = 254;
// A card shown face down: a spectator who may not see the hand gets these.
inline constexpr std::uint8_t kHiddenCard = 255;
// No list of cards is longer than the largest hand; the message format cuts
// longer counts here, so nothing downstream sizes a buffer from a peer.
inline constexpr std::size_t kMaxHandCards = 54;

// The play to beat: its seat, its type, its main card and its length.
struct MaxOutPai {
    std::uint8_t bteSeat = 0;
    std::uint8_t bteType = 0;
    std::uint8_t bteMainPai = 0;
    std::uint8_t bteCount = 0;

    bool operator==(const MaxOutPai&) const = default;
};

inline constexpr std::uint8_t kRedTen59 = 59;  // ten of suit 0
inline constexpr std::uint8_t kRedTen72 = 72;  // ten of suit 3
inline constexpr std::uint8_t kRankTen = 7;
inline constexpr std::uint8_t kRankTwo = 12;
inline constexpr std::uint8_t kMarkedBase = 52;

// The fixed sizes everything is bounded by.
inline constexpr std::size_t kMaxGroupCards = 16;

constexpr bool IsMarked(std::uint8_t card) { return card / 13 >= 4; }
constexpr std::uint8_t Rank(std::uint8_t card) { return card % 13; }
// A marked code as its plain card: a red ten becomes an ordinary ten.
constexpr std::uint8_t Normalise(std::uint8_t card) {
    return IsMarked(card) ? static_cast<std::uint8_t>(card - kMarkedBase) : card;
}

// True when a ranks below b. Marked cards rank above all others and equal
// to each other; suits never break ties.
bool IsPaiLess(std::uint8_t a, std::uint8_t b);
bool IsSamePai(std::uint8_t a, std::uint8_t b);

// Highest rank first, by the table's own exchange sort: the order it leaves
// equal cards in is the order they are shown in.
void SortPai(std::span<std::uint8_t> cards);

// A run of equal rank; a run longer than a group holds continues in the
// next group, so no card is ever dropped.
struct PaiGroup {
    std::array<std::uint8_t, kMaxGroupCards> bteCards{};
    std::uint8_t count = 0;
    std::uint8_t first() const { return bteCards[0]; }
};

struct PaiGroups {
    std::array<PaiGroup, kMaxHandCards> groups{};
    std::size_t count = 0;
    std::span<const PaiGroup> view() const { return {groups.data(), count}; }
};

// Splits a list sorted by SortPai into runs of equal rank. At most
// kMaxHandCards cards are read.
void GroupPai(std::span<const std::uint8_t> sorted, PaiGroups& out);

// Reorders cards: the biggest groups first, equal sizes by rank, highest
// first; marked red tens at the front keep it. Fills groups as a by-product.
void SortPaiByGroup(std::span<std::uint8_t> cards, PaiGroups& groups);

// Removes each played card, first match only, from hand; cards not in the
// hand are skipped.
void RemoveOutPai(CardList& hand, std::span<const std::uint8_t> played);

}  // namespace redten
