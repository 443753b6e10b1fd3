#include "rules/pai_type.h"

#include <algorithm>
#include <array>

namespace redten {
namespace {

constexpr char kNotAType[] = "出牌错误：牌型不对！";
constexpr char kNothingBeatsRedTens[] = "无法出牌：当前最大出牌是 两红10！";
constexpr char kBombTooSmall[] = "出牌错误：你的炸弹太小！";
constexpr char kSameCount[] = "出牌错误：出牌张数必须和上一家出牌张数相同！";
constexpr char kNotHigher[] = "出牌错误：你出牌必须比上一家出牌还要大！";

PlayCheck Refuse(std::string message) { return PlayCheck{false, std::move(message), kNoType, 0}; }
PlayCheck Accept(PaiClass c) { return PlayCheck{true, {}, c.type, c.main}; }

}  // namespace

PaiClass GetPaiType(std::span<const std::uint8_t> cards) {
    const std::size_t n = cards.size();
    if (n == 0 || n > kMaxHandCards) {
        return {};
    }
    std::array<std::uint8_t, kMaxHandCards> c{};
    std::copy(cards.begin(), cards.end(), c.begin());

    if (n == 1) {
        return {kTypeSingle, c[0]};
    }
    if (n == 2) {
        if (IsMarked(c[0]) && IsMarked(c[1])) {
            return {kTypeRedTens, c[0]};
        }
        c[0] = Normalise(c[0]);
        c[1] = Normalise(c[1]);
        if (IsSamePai(c[0], c[1])) {
            return {kTypePair, c[0]};
        }
        return {};
    }

    std::transform(c.begin(), c.begin() + n, c.begin(), Normalise);
    const auto sameAsFirst = [&](std::size_t count) {
        return std::all_of(c.begin() + 1, c.begin() + count,
                           [&](std::uint8_t card) { return IsSamePai(c[0], card); });
    };
    if ((n == 3 || n == 4) && sameAsFirst(n)) {
        return {kTypeBomb, c[0]};
    }
    if (std::any_of(c.begin(), c.begin() + n, [](std::uint8_t card) { return Rank(card) == kRankTwo; })) {
        return {};
    }
    SortPai(std::span(c.data(), n));
    for (std::size_t k = 1; k < n; ++k) {
        if (Rank(c[k - 1]) - Rank(c[k]) != 1) {
            return {};
        }
    }
    return {kTypeStraight, c[0]};
}

std::string GetPaiTypeName(std::uint8_t type) {
    switch (type) {
        case kTypeSingle:
            return "单牌";
        case kTypePair:
            return "对牌";
        case kTypeStraight:
            return "顺子";
        case kTypeBomb:
            return "炸弹";
        case kTypeRedTens:
            return "两红10";
        default:
            return "未知的牌型";
    }
}

PlayCheck CheckFirstOutPai(std::span<const std::uint8_t> cards) {
    const PaiClass c = GetPaiType(cards);
    if (c.type > kTypeRedTens) {
        return Refuse(kNotAType);
    }
    return Accept(c);
}

PlayCheck CheckFollowOutPai(std::span<const std::uint8_t> cards, const MaxOutPai& toBeat) {
    if (toBeat.bteType == kTypeRedTens) {
        return Refuse(kNothingBeatsRedTens);
    }
    const PaiClass c = GetPaiType(cards);
    if (c.type > kTypeRedTens) {
        return Refuse(kNotAType);
    }
    if (c.type == kTypeRedTens) {
        return Accept(c);
    }
    const std::size_t n = cards.size();
    const std::size_t count = toBeat.bteCount;
    if (c.type == kTypeBomb) {
        if (toBeat.bteType < kTypeBomb || n > count) {
            return Accept(c);
        }
        if (n == count && IsPaiLess(toBeat.bteMainPai, c.main)) {
            return Accept(c);
        }
        return Refuse(kBombTooSmall);
    }
    if (c.type == toBeat.bteType) {
        if (n != count) {
            return Refuse(kSameCount);
        }
        if (IsPaiLess(toBeat.bteMainPai, c.main)) {
            return Accept(c);
        }
        return Refuse(kNotHigher);
    }
    return Refuse("出牌错误：必须出 " + GetPaiTypeName(toBeat.bteType) + " !");
}

}  // namespace redten
