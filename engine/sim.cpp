#include "engine/sim.h"

#include <algorithm>

#include "engine/model.h"
#include "rules/pai_type.h"

namespace redten::engine {
namespace {

constexpr int kMaxPlies = 400;  // a deal of 52 cards never takes this many

// What a hand is worth to keep, in tenths of a play: the cards that win
// tricks by themselves.
int ControlValue(const Counts& c) {
    int value = 9 * c.reds + 5 * c.n[12] + 2 * c.n[11];
    for (int r = 0; r < 13; ++r) {
        const int t = c.At(r);
        if (t >= 3) {
            value += t == 4 ? 18 : 14;
        }
    }
    return value;
}

// Lower is better: the plays still needed, less what the controls are worth.
int HandCost(const Counts& c) {
    return 10 * PlaysNeeded(c) - ControlValue(c);
}

bool IsControl(const Move& m) {
    return m.type == kTypeBomb || m.type == kTypeRedTens || (m.type == kTypeSingle && m.rank >= 12);
}

struct Seats {
    int partnerMinLeft = 99;
    int opponentMinLeft = 99;
};

Seats Look(const SimState& s, std::uint8_t me) {
    Seats seats;
    for (std::uint8_t o = 0; o < 4; ++o) {
        if (o == me || s.left[o] == 0) {
            continue;
        }
        int& slot = s.KnowsPartner(me, o) ? seats.partnerMinLeft : seats.opponentMinLeft;
        slot = std::min<int>(slot, s.left[o]);
    }
    return seats;
}

Move ChooseLead(const SimState& s, const Counts& c, const MoveList& moves) {
    const Seats seats = Look(s, s.cur);
    const int total = s.left[s.cur];
    Move best = moves[0];
    int bestScore = 1 << 30;
    for (const Move& m : moves) {
        if (m.len == total) {
            return m;  // the whole hand at once
        }
        Counts after = c;
        Remove(after, m);
        int score = 4 * HandCost(after) + 2 * m.rank;
        // Singles to an opponent about to go out feed him; to a partner about
        // to go out, low ones help him.
        if (m.type == kTypeSingle && seats.opponentMinLeft == 1) {
            score += 60 - 4 * m.rank;
        }
        if (m.type == kTypePair && seats.opponentMinLeft == 2) {
            score += 30;
        }
        if (m.type == kTypeSingle && seats.partnerMinLeft == 1 && seats.opponentMinLeft > 1) {
            score -= 30;
        }
        if (score < bestScore) {
            bestScore = score;
            best = m;
        }
    }
    return best;
}

Move ChooseFollow(const SimState& s, const Counts& c, const MoveList& moves) {
    const std::uint8_t me = s.cur;
    const int total = s.left[me];
    for (const Move& m : moves) {
        if (!m.IsPass() && m.len == total) {
            return m;
        }
    }
    const bool partnerHolds = s.KnowsPartner(me, s.toBeatSeat);
    if (partnerHolds) {
        return kPass;
    }
    const int threat = s.left[s.toBeatSeat];
    const int before = HandCost(c);
    // Winning the trick is worth the lead; letting an opponent near the end
    // keep it may lose the deal.
    int passCost = threat <= 2 ? 40 : threat <= 5 ? 12 : 0;
    if (PlaysNeeded(c) <= 2) {
        passCost += 10;
    }
    Move best = kPass;
    int bestCost = passCost;
    for (const Move& m : moves) {
        if (m.IsPass()) {
            continue;
        }
        Counts after = c;
        Remove(after, m);
        int cost = HandCost(after) - before + m.rank / 2 - 4;
        if (IsControl(m) && threat > 5 && PlaysNeeded(after) > 2) {
            cost += 8;
        }
        if (cost < bestCost) {
            bestCost = cost;
            best = m;
        }
    }
    return best;
}

}  // namespace

void SimState::Start(const std::array<Counts, 4>& dealt, const std::array<bool, 4>& sides,
                     std::uint8_t leader) {
    hands = dealt;
    for (std::size_t s = 0; s < 4; ++s) {
        left[s] = static_cast<std::uint8_t>(hands[s].Total());
    }
    red = sides;
    basic = {};
    revealed = {};
    tensKnown = 0;
    place = {};
    cur = leader;
    lead = true;
    toBeat = kPass;
    toBeatSeat = leader;
    passes = 0;
    finished = 0;
    over = false;
    redWon = false;
}

std::uint8_t SimState::NextHolding(std::uint8_t seat) const {
    for (int i = 1; i <= 4; ++i) {
        const auto next = static_cast<std::uint8_t>((seat + i) & 3);
        if (left[next] > 0) {
            return next;
        }
    }
    return seat;
}

void SimState::CheckOver() {
    bool redOut = true;
    bool blackOut = true;
    for (std::size_t s = 0; s < 4; ++s) {
        if (left[s] > 0) {
            (red[s] ? redOut : blackOut) = false;
        }
    }
    if (redOut || blackOut) {
        over = true;
        redWon = redOut;
    }
}

void SimState::Apply(const Move& m) {
    if (m.IsPass()) {
        ++passes;
        int active = 0;
        for (std::uint8_t l : left) {
            active += l > 0 ? 1 : 0;
        }
        const bool maxActive = left[toBeatSeat] > 0;
        if (passes >= active - (maxActive ? 1 : 0)) {
            cur = maxActive ? toBeatSeat : NextHolding(toBeatSeat);
            lead = true;
            toBeat = kPass;
            passes = 0;
        } else {
            cur = NextHolding(cur);
        }
        return;
    }
    if (m.reds > 0 && !revealed[cur]) {
        revealed[cur] = true;
        tensKnown = static_cast<std::uint8_t>(tensKnown + hands[cur].reds);
    }
    Remove(hands[cur], m);
    left[cur] = static_cast<std::uint8_t>(left[cur] - m.len);
    toBeat = m;
    toBeatSeat = cur;
    passes = 0;
    if (left[cur] == 0) {
        place[cur] = ++finished;
    }
    CheckOver();
    if (over) {
        return;
    }
    lead = false;
    cur = NextHolding(cur);
}

int SimState::Score(std::uint8_t seat) const {
    if (!over) {
        return 0;
    }
    int winners = 0;
    for (std::size_t s = 0; s < 4; ++s) {
        winners += red[s] == redWon ? 1 : 0;
    }
    return red[seat] == redWon ? multiplier * (4 - winners) : -multiplier * winners;
}

bool SimState::KnowsPartner(std::uint8_t p, std::uint8_t q) const {
    if (p == q) {
        return true;
    }
    if (revealed[q]) {
        return red[p];
    }
    // An unrevealed seat is black; a black seat knows it for a partner once
    // both red tens have shown where they are.
    return !red[p] && tensKnown >= 2;
}

int PlaysNeeded(const Counts& c) {
    int plays = 0;
    int run = 0;
    for (int r = 0; r < 13; ++r) {
        const int t = c.At(r);
        plays += t > 0 ? 1 : 0;
        if (t == 1 && r < 12) {
            ++run;
        } else {
            if (run >= 3) {
                plays -= run - 1;
            }
            run = 0;
        }
    }
    if (run >= 3) {
        plays -= run - 1;
    }
    return plays;
}

Move RolloutMove(const SimState& s) {
    const Counts& c = s.hands[s.cur];
    if (s.basic[s.cur]) {
        return BasicChoice(c, s.lead ? nullptr : &s.toBeat);
    }
    MoveList moves;
    GenerateMoves(c, s.lead ? nullptr : &s.toBeat, moves);
    if (moves.size == 0) {
        return kPass;
    }
    if (s.lead) {
        return ChooseLead(s, c, moves);
    }
    if (moves.size == 1) {
        return kPass;
    }
    return ChooseFollow(s, c, moves);
}

void Rollout(SimState& s) {
    for (int ply = 0; ply < kMaxPlies && !s.over; ++ply) {
        s.Apply(RolloutMove(s));
    }
}

}  // namespace redten::engine
