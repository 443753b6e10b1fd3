#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace redten {

// Cards travel as one byte each; the rules give the bytes their meaning.
using CardList = std::vector<std::uint8_t>;

// A play of this single card is a pass.
inline constexpr std::uint8_t kPassCard = 254;
// A card shown face down: a spectator who may not see the hand gets these.
inline constexpr std::uint8_t kHiddenCard = 255;
// No list of cards in a message is longer than the largest hand; longer
// counts are cut here, so nothing downstream sizes a buffer from a peer.
inline constexpr std::size_t kMaxHandCards = 54;

// The play to beat, as the table snapshot carries it.
struct MaxOutPai {
    std::uint8_t bteSeat = 0;
    std::uint8_t bteType = 0;
    std::uint8_t bteMainPai = 0;
    std::uint8_t bteCount = 0;

    bool operator==(const MaxOutPai&) const = default;
};

}  // namespace redten
