#include "engine/model.h"

#include <algorithm>
#include <array>

namespace redten::engine {
namespace {

// The basic player spends bombs and red tens freely this close to the end.
constexpr int kShortHand = 6;

Move OfARank(int rank, int count, const Counts& h) {
    const auto type = count == 1 ? kTypeSingle : count == 2 ? kTypePair : kTypeBomb;
    const int plain = h.n[static_cast<std::size_t>(rank)];
    const int reds = rank == kRankTen && count > plain ? count - plain : 0;
    return {static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(rank),
            static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(reds)};
}

// The bombs as the suggestions list them: threes then fours, each from the
// lowest rank; then three of each four; then the two red tens.
template <typename Fn>
void ForEachBomb(const Counts& h, Fn&& fn) {
    for (int size = 3; size <= 4; ++size) {
        for (int r = 0; r < 13; ++r) {
            if (h.At(r) == size && fn(OfARank(r, size, h))) {
                return;
            }
        }
    }
    for (int r = 0; r < 13; ++r) {
        if (h.At(r) == 4 && fn(OfARank(r, 3, h))) {
            return;
        }
    }
    if (h.reds == 2) {
        fn(Move{kTypeRedTens, kRedRank, 2, 2});
    }
}

bool IsPrecious(const Move& m) {
    return m.type == kTypeBomb || m.type == kTypeRedTens ||
           (m.type == kTypeSingle && m.rank == kRedRank);
}

// Collects the suggestions in order and keeps the one the basic player
// takes: the first, or the first that is not precious.
struct Pick {
    bool anyPrecious;  // short hands and bombs to beat take the first
    Move chosen = kPass;
    bool done = false;
    bool Offer(const Move& m) {
        if (!done && (anyPrecious || !IsPrecious(m))) {
            chosen = m;
            done = true;
        }
        return done;
    }
};

void Singles(const Counts& h, int above, Pick& pick) {
    const auto single = [](int rank) {
        return Move{kTypeSingle, static_cast<std::uint8_t>(rank), 1,
                    static_cast<std::uint8_t>(rank == kRedRank ? 1 : 0)};
    };
    // The lone cards first; with one red ten held (a group of one at the
    // front) every group's first card, the fewest and lowest first.
    if (h.reds == 1) {
        for (int count = 1; count <= 4; ++count) {
            for (int r = 0; r < 13; ++r) {
                if (h.n[static_cast<std::size_t>(r)] == count && r > above &&
                    pick.Offer(single(r))) {
                    return;
                }
            }
        }
        if (kRedRank > above && pick.Offer(single(kRedRank))) {
            return;
        }
    } else {
        bool lone = false;
        for (int r = 0; r < 13; ++r) {
            if (h.n[static_cast<std::size_t>(r)] == 1) {
                lone = true;
                if (r > above && pick.Offer(single(r))) {
                    return;
                }
            }
        }
        if (!lone) {
            // No lone card: only the last group, the lowest of the smallest.
            int last = -1;
            for (int count = 1; count <= 4 && last < 0; ++count) {
                for (int r = 0; r < 13; ++r) {
                    if (h.n[static_cast<std::size_t>(r)] == count) {
                        last = r;
                        break;
                    }
                }
            }
            if (last < 0 && h.reds > 0) {
                last = kRedRank;
            }
            if (last >= 0 && last > above && pick.Offer(single(last))) {
                return;
            }
        }
    }
    // Then every card that beats, lowest first.
    for (int r = above + 1; r < 13; ++r) {
        if (h.n[static_cast<std::size_t>(r)] > 0 && pick.Offer(single(r))) {
            return;
        }
    }
    if (h.reds > 0 && kRedRank > above) {
        pick.Offer(single(kRedRank));
    }
}

void Pairs(const Counts& h, int above, Pick& pick) {
    for (int r = above + 1; r < 13; ++r) {
        if (h.At(r) == 2) {
            const Move m = r == kRankTen && h.reds == 2 ? Move{kTypeRedTens, kRedRank, 2, 2}
                                                        : OfARank(r, 2, h);
            if (pick.Offer(m)) {
                return;
            }
        }
    }
    for (int size = 3; size <= 4; ++size) {
        for (int r = above + 1; r < 13; ++r) {
            if (h.At(r) == size && pick.Offer(OfARank(r, 2, h))) {
                return;
            }
        }
    }
}

void Straights(const Counts& h, int length, int above, Pick& pick) {
    std::array<int, 13> ranks{};
    int count = 0;
    for (int r = 11; r >= 0; --r) {  // twos never join
        if (h.At(r) > 0) {
            ranks[static_cast<std::size_t>(count++)] = r;
        }
    }
    if (length < 3 || count < length || ranks[0] <= above) {
        return;
    }
    for (int o = 0; o < count; ++o) {
        int run = 1;
        for (int k = o + 1; k < count; ++k) {
            if (ranks[static_cast<std::size_t>(k - 1)] - ranks[static_cast<std::size_t>(k)] != 1) {
                break;
            }
            if (run == 1 && ranks[static_cast<std::size_t>(k - 1)] <= above) {
                return;
            }
            if (++run >= length) {
                const int top = ranks[static_cast<std::size_t>(o)];
                const bool ten = top >= kRankTen && top - length + 1 <= kRankTen;
                const int reds = ten && h.n[kRankTen] == 0 ? 1 : 0;
                if (pick.Offer({kTypeStraight, static_cast<std::uint8_t>(top),
                                static_cast<std::uint8_t>(length),
                                static_cast<std::uint8_t>(reds)})) {
                    return;
                }
                break;
            }
        }
    }
}

void Bombs(const Counts& h, int size, int above, Pick& pick) {
    for (int r = above + 1; r < 13; ++r) {
        if (h.At(r) >= 3 && std::min(h.At(r), 4) == size && pick.Offer(OfARank(r, size, h))) {
            return;
        }
    }
    for (int r = 0; r < 13; ++r) {
        if (h.At(r) >= 3 && std::min(h.At(r), 4) > size && pick.Offer(OfARank(r, 4, h))) {
            return;
        }
    }
    if (size == 3) {
        for (int r = above + 1; r < 13; ++r) {
            if (h.At(r) >= 4 && pick.Offer(OfARank(r, 3, h))) {
                return;
            }
        }
    }
    if (h.reds == 2) {
        pick.Offer(Move{kTypeRedTens, kRedRank, 2, 2});
    }
}

}  // namespace

Move BasicChoice(const Counts& h, const Move* toBeat) {
    if (toBeat == nullptr) {
        for (int r = 0; r < 13; ++r) {
            const int n = h.n[static_cast<std::size_t>(r)];
            if (n > 0) {
                return OfARank(r, n, h);
            }
        }
        if (h.reds == 2) {
            return {kTypeRedTens, kRedRank, 2, 2};
        }
        return h.reds == 1 ? Move{kTypeSingle, kRedRank, 1, 1} : kPass;
    }
    Pick pick{h.Total() <= kShortHand || toBeat->type >= kTypeBomb};
    switch (toBeat->type) {
        case kTypeSingle:
            Singles(h, toBeat->rank, pick);
            break;
        case kTypePair:
            Pairs(h, toBeat->rank, pick);
            break;
        case kTypeStraight:
            Straights(h, toBeat->len, toBeat->rank, pick);
            break;
        case kTypeBomb:
            Bombs(h, toBeat->len, toBeat->rank, pick);
            return pick.chosen;
        default:
            return kPass;
    }
    if (!pick.done) {
        ForEachBomb(h, [&](const Move& m) { return pick.Offer(m); });
    }
    return pick.chosen;
}

bool BasicShows(const Counts& h) {
    return h.reds + h.n[11] + h.n[12] >= 5;
}
bool BasicFollows(const Counts& h) {
    return h.reds + h.n[11] + h.n[12] >= 4;
}

bool SameShape(const Move& a, const Move& b) {
    if (a.type == kTypeSingle || a.type == kTypeRedTens || a.IsPass()) {
        return a == b;
    }
    return a.type == b.type && a.rank == b.rank && a.len == b.len;
}

}  // namespace redten::engine
