#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "rules/game_state.h"

namespace redten {

// The five card types; anything else is kNoType.
enum PaiType : std::uint8_t {
    kTypeSingle = 0,   // "单牌"
    kTypePair = 1,     // "对牌"
    kTypeStraight = 2, // "顺子"
    kTypeBomb = 3,     // "炸弹"
    kTypeRedTens = 4,  // "两红10"
    kNoType = 100,
};

struct PaiClass {
    std::uint8_t type = kNoType;
    std::uint8_t main = 0;  // the card that decides comparisons
};

// Classifies a play. More cards than a hand can hold is no type.
PaiClass GetPaiType(std::span<const std::uint8_t> cards);

std::string GetPaiTypeName(std::uint8_t type);

// The verdict on a play of the own seat; message says why when refused.
struct PlayCheck {
    bool ok = false;
    std::string message;
    std::uint8_t type = kNoType;
    std::uint8_t main = 0;
};

// A play that leads a trick: any of the five types.
PlayCheck CheckFirstOutPai(std::span<const std::uint8_t> cards);

// A play that must beat toBeat.
PlayCheck CheckFollowOutPai(std::span<const std::uint8_t> cards, const MaxOutPai& toBeat);

}  // namespace redten
