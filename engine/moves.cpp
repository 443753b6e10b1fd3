#include "engine/moves.h"

#include <algorithm>

#include "rules/pai_type.h"

namespace redten::engine {
namespace {

constexpr int kTopStraightRank = 11;  // an ace may end a straight, a two never

void AddSingles(const Counts& h, int above, MoveList& out) {
    for (int r = above + 1; r < 13; ++r) {
        if (h.n[static_cast<std::size_t>(r)] > 0) {
            out.Add({kTypeSingle, static_cast<std::uint8_t>(r), 1, 0});
        }
    }
    if (h.reds > 0 && above < kRedRank) {
        out.Add({kTypeSingle, kRedRank, 1, 1});
    }
}

// Plays of `size` cards of one rank; tens may take red tens in place of
// plain ones, and each mix is a play of its own (a red ten shown or kept).
void AddOfARank(const Counts& h, std::uint8_t type, int size, int above, MoveList& out) {
    for (int r = above + 1; r < 13; ++r) {
        const int plain = h.n[static_cast<std::size_t>(r)];
        if (r != kRankTen) {
            if (plain >= size) {
                out.Add({type, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(size), 0});
            }
            continue;
        }
        // Two red tens alone are no pair but the red-tens play.
        const int maxReds = std::min<int>(h.reds, type == kTypePair ? 1 : size);
        for (int k = 0; k <= maxReds; ++k) {
            if (plain >= size - k) {
                out.Add({type, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(size),
                         static_cast<std::uint8_t>(k)});
            }
        }
    }
}

void AddStraight(const Counts& h, int low, int high, MoveList& out) {
    const auto len = static_cast<std::uint8_t>(high - low + 1);
    const auto top = static_cast<std::uint8_t>(high);
    if (low <= kRankTen && kRankTen <= high) {
        if (h.n[kRankTen] > 0) {
            out.Add({kTypeStraight, top, len, 0});
        }
        if (h.reds > 0) {
            out.Add({kTypeStraight, top, len, 1});
        }
    } else {
        out.Add({kTypeStraight, top, len, 0});
    }
}

// Straights of `length` cards (0: any) whose top is above `above`.
void AddStraights(const Counts& h, int length, int above, MoveList& out) {
    for (int low = 0; low + 2 <= kTopStraightRank; ++low) {
        for (int high = low; high <= kTopStraightRank && h.At(high) > 0; ++high) {
            const int len = high - low + 1;
            if (len >= 3 && (length == 0 || len == length) && high > above) {
                AddStraight(h, low, high, out);
            }
            if (length != 0 && len >= length) {
                break;
            }
        }
    }
}

void AddBombs(const Counts& h, int size, int above, MoveList& out) {
    AddOfARank(h, kTypeBomb, size, above, out);
}

}  // namespace

int Counts::Total() const {
    int total = reds;
    for (std::uint8_t c : n) {
        total += c;
    }
    return total;
}

Counts CountsOf(std::span<const std::uint8_t> cards) {
    Counts h;
    for (std::uint8_t c : cards) {
        if (c == kRedTen59 || c == kRedTen72) {
            h.reds = static_cast<std::uint8_t>(std::min(h.reds + 1, 2));
        } else if (c < kMarkedBase) {
            auto& n = h.n[Rank(c)];
            n = static_cast<std::uint8_t>(std::min(n + 1, 4));
        }
    }
    return h;
}

bool Beats(const Move& m, const Move& toBeat) {
    if (toBeat.type == kTypeRedTens || m.IsPass()) {
        return false;
    }
    if (m.type == kTypeRedTens) {
        return true;
    }
    if (m.type == kTypeBomb) {
        if (toBeat.type != kTypeBomb || m.len > toBeat.len) {
            return true;
        }
        return m.len == toBeat.len && m.rank > toBeat.rank;
    }
    return m.type == toBeat.type && m.len == toBeat.len && m.rank > toBeat.rank;
}

void GenerateMoves(const Counts& h, const Move* toBeat, MoveList& out) {
    out.size = 0;
    if (toBeat == nullptr) {
        AddSingles(h, -1, out);
        AddOfARank(h, kTypePair, 2, -1, out);
        AddStraights(h, 0, -1, out);
        AddBombs(h, 3, -1, out);
        AddBombs(h, 4, -1, out);
        if (h.reds == 2) {
            out.Add({kTypeRedTens, kRedRank, 2, 2});
        }
        return;
    }
    if (toBeat->type == kTypeRedTens) {
        out.Add(kPass);
        return;
    }
    switch (toBeat->type) {
        case kTypeSingle:
            AddSingles(h, toBeat->rank, out);
            break;
        case kTypePair:
            AddOfARank(h, kTypePair, 2, toBeat->rank, out);
            break;
        case kTypeStraight:
            AddStraights(h, toBeat->len, toBeat->rank, out);
            break;
        default:
            break;
    }
    if (toBeat->type == kTypeBomb) {
        if (toBeat->len == 3) {
            AddBombs(h, 3, toBeat->rank, out);
            AddBombs(h, 4, -1, out);
        } else {
            AddBombs(h, 4, toBeat->rank, out);
        }
    } else {
        AddBombs(h, 3, -1, out);
        AddBombs(h, 4, -1, out);
    }
    if (h.reds == 2) {
        out.Add({kTypeRedTens, kRedRank, 2, 2});
    }
    out.Add(kPass);
}

bool HasBeatingMove(const Counts& h, const Move& toBeat) {
    MoveList list;
    GenerateMoves(h, &toBeat, list);
    return list.size > 1;
}

bool Holds(const Counts& h, const Move& m) {
    if (m.IsPass()) {
        return true;
    }
    if (m.reds > h.reds) {
        return false;
    }
    const auto plainOf = [&](int rank, int need) {
        return h.n[static_cast<std::size_t>(rank)] >= need;
    };
    switch (m.type) {
        case kTypeSingle:
            return m.rank == kRedRank ? h.reds >= 1 : plainOf(m.rank, 1);
        case kTypePair:
        case kTypeBomb:
            return m.rank < 13 && (m.rank == kRankTen || m.reds == 0) &&
                   plainOf(m.rank, m.len - m.reds);
        case kTypeStraight: {
            const int low = m.rank - m.len + 1;
            if (low < 0 || m.rank > kTopStraightRank || m.reds > 1) {
                return false;
            }
            for (int r = low; r <= m.rank; ++r) {
                const int need = r == kRankTen ? 1 - m.reds : 1;
                if (!plainOf(r, need)) {
                    return false;
                }
            }
            return m.reds == 0 || (low <= kRankTen && kRankTen <= m.rank);
        }
        case kTypeRedTens:
            return h.reds == 2;
        default:
            return false;
    }
}

void Remove(Counts& h, const Move& m) {
    if (m.IsPass()) {
        return;
    }
    h.reds = static_cast<std::uint8_t>(h.reds - m.reds);
    switch (m.type) {
        case kTypeSingle:
            if (m.rank != kRedRank) {
                --h.n[m.rank];
            }
            break;
        case kTypePair:
        case kTypeBomb:
            h.n[m.rank] = static_cast<std::uint8_t>(h.n[m.rank] - (m.len - m.reds));
            break;
        case kTypeStraight:
            for (int r = m.rank - m.len + 1; r <= m.rank; ++r) {
                if (r != kRankTen || m.reds == 0) {
                    --h.n[static_cast<std::size_t>(r)];
                }
            }
            break;
        default:
            break;
    }
}

bool MoveOfCards(std::span<const std::uint8_t> cards, Move& out) {
    if (cards.size() == 1 && cards[0] == kPassCard) {
        out = kPass;
        return true;
    }
    const PaiClass c = GetPaiType(cards);
    if (c.type == kNoType) {
        return false;
    }
    out.type = c.type;
    out.len = static_cast<std::uint8_t>(cards.size());
    out.reds = static_cast<std::uint8_t>(std::count_if(cards.begin(), cards.end(), IsMarked));
    if (c.type == kTypeRedTens || (c.type == kTypeSingle && IsMarked(c.main))) {
        out.rank = kRedRank;
    } else {
        out.rank = Rank(Normalise(c.main));
    }
    return true;
}

CardList CardsFor(std::span<const std::uint8_t> hand, const Move& m) {
    if (m.IsPass()) {
        return {kPassCard};
    }
    CardList left(hand.begin(), hand.end());
    CardList play;
    const auto take = [&](auto pred) {
        const auto it = std::find_if(left.begin(), left.end(), pred);
        if (it == left.end()) {
            return false;
        }
        play.push_back(*it);
        left.erase(it);
        return true;
    };
    const auto red = [](std::uint8_t c) { return c == kRedTen59 || c == kRedTen72; };
    const auto plain = [](int rank) {
        return [rank](std::uint8_t c) { return c < kMarkedBase && Rank(c) == rank; };
    };
    int redsLeft = m.reds;
    bool ok = true;
    const auto takeRank = [&](int rank, int count) {
        for (int i = 0; i < count && ok; ++i) {
            if (rank == kRankTen && redsLeft > 0 && i >= count - redsLeft) {
                ok = take(red);
            } else {
                ok = take(plain(rank));
            }
        }
    };
    switch (m.type) {
        case kTypeSingle:
            ok = m.rank == kRedRank ? take(red) : take(plain(m.rank));
            break;
        case kTypePair:
        case kTypeBomb:
            takeRank(m.rank, m.len);
            break;
        case kTypeStraight:
            for (int r = m.rank; r > m.rank - m.len && ok; --r) {
                takeRank(r, 1);
            }
            break;
        case kTypeRedTens:
            ok = take(red) && take(red);
            break;
        default:
            ok = false;
    }
    if (!ok) {
        return {};
    }
    return play;
}

}  // namespace redten::engine
