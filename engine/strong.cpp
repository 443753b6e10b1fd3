#include "engine/strong.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/model.h"
#include "engine/shuffle.h"
#include "engine/sim.h"

namespace redten::engine {
namespace {

constexpr std::array<std::uint8_t, 2> kRedTenCodes{kRedTen59, kRedTen72};
constexpr std::uint8_t kThreeOfSuit0 = 0;

// How the other seats are expected to behave, as likelihoods of what they
// did given a world. Plain numbers on purpose: people and computer players
// alike mostly show strong hands, lead low and beat what they cheaply can.
constexpr double kPassWithCheapBeat = 0.15;        // passing an opponent's play they could take
constexpr double kPassPartnerWithCheapBeat = 0.6;  // ... their partner's
constexpr double kLeadOverLowerRank = 0.55;        // per lower rank held when leading
constexpr double kNotAskedToFollow = 0.1;          // not asked, yet holding exactly one red ten
constexpr double kBasicSlip = 0.02;                // ... and yet did something else
constexpr double kBeatOwnSide = 0.35;              // taking a trick from its own side, not going out

double ShowChance(int strength) {
    return strength >= 5 ? 0.8 : strength == 4 ? 0.35 : 0.1;
}
double FollowChance(int strength) {
    return strength >= 4 ? 0.8 : strength == 3 ? 0.35 : 0.1;
}

// Red tens, aces and twos: what makes a hand worth showing.
int Strength(const Counts& c) {
    return c.reds + c.n[11] + c.n[12];
}

double Uniform(DealRng& rng) {
    return static_cast<double>(rng.Next() >> 11) * 0x1.0p-53;
}

// Whether the hand beats toBeat without a bomb or a red ten.
bool HasCheapBeat(const Counts& h, const Move& toBeat) {
    switch (toBeat.type) {
        case kTypeSingle:
            for (int r = toBeat.rank + 1; r < 13; ++r) {
                if (h.n[static_cast<std::size_t>(r)] > 0) {
                    return true;
                }
            }
            return false;
        case kTypePair:
            for (int r = toBeat.rank + 1; r < 13; ++r) {
                const int plain = h.n[static_cast<std::size_t>(r)];
                if (plain >= 2 || (r == kRankTen && plain == 1 && h.reds > 0)) {
                    return true;
                }
            }
            return false;
        case kTypeStraight: {
            int run = 0;
            for (int r = 0; r <= 11; ++r) {
                run = h.At(r) > 0 ? run + 1 : 0;
                if (run >= toBeat.len && r > toBeat.rank) {
                    return true;
                }
            }
            return false;
        }
        default:
            return false;
    }
}

void AddCard(Counts& c, std::uint8_t card) {
    if (card == kRedTen59 || card == kRedTen72) {
        ++c.reds;
    } else if (card < kMarkedBase) {
        ++c.n[Rank(card)];
    }
}

// Something another seat did, with the table as it was then.
struct Action {
    enum class Kind : std::uint8_t { Show, Follow, Play } kind = Kind::Play;
    std::uint8_t seat = 0;
    std::uint8_t answer = 0;
    bool lead = false;
    Move move;
    Move toBeat;
    std::uint8_t toBeatSeat = 0;
};

// Everything the seat knows, arranged for drawing worlds.
struct Knowledge {
    std::uint8_t me = 0;
    PublicState state;
    CardList hand;  // now
    Counts handCounts;
    std::array<int, 2> redHolder{-1, -1};  // at the deal, -1 unknown
    std::array<CardList, 4> fixed;         // hidden cards known to be held now
    CardList free;                         // hidden cards anybody else may hold
    std::array<bool, 4> exactlyOne{};      // answered a follow question
    std::array<bool, 4> notAsked{};        // would have been asked with exactly one
    std::vector<Action> actions;
};

Knowledge Learn(const SeatView& view) {
    Knowledge k;
    k.me = view.seat;
    k.hand = HandNow(view);
    k.handCounts = CountsOf(k.hand);
    PublicState& s = k.state;
    for (const Event& e : view.events) {
        if (e.seat != k.me && e.seat < 4) {
            Action a;
            a.seat = e.seat;
            if (e.kind == Event::Kind::Showing) {
                a.kind = s.liangTimes[e.seat] == 0 ? Action::Kind::Show : Action::Kind::Follow;
                a.answer = e.answer;
                k.actions.push_back(a);
            } else if (e.kind == Event::Kind::Play && MoveOfCards(e.cards, a.move)) {
                a.lead = s.phase == kPhaseLead;
                a.toBeat = s.toBeat;
                a.toBeatSeat = s.toBeatSeat;
                k.actions.push_back(a);
            }
        }
        Step(s, e);
    }
    std::array<bool, 256> seen{};
    for (std::uint8_t c : view.hand) {
        seen[c] = true;
    }
    for (std::size_t i = 0; i < 2; ++i) {
        if (seen[kRedTenCodes[i]]) {
            k.redHolder[i] = k.me;
        }
    }
    for (std::uint8_t o = 0; o < 4; ++o) {
        for (std::uint8_t c : s.played[o]) {
            seen[c] = true;
        }
        if (o == k.me) {
            continue;
        }
        for (std::size_t i = 0; i < 2; ++i) {
            const std::uint8_t bit = static_cast<std::uint8_t>(1u << i);
            const bool played = (s.redsPlayed[o] & bit) != 0;
            const bool shown = s.liang[o] != 4 && (s.liang[o] & bit) != 0;
            if (played || shown) {
                k.redHolder[i] = o;
            }
            if (shown && !played) {
                k.fixed[o].push_back(kRedTenCodes[i]);
                seen[kRedTenCodes[i]] = true;
            }
        }
        k.exactlyOne[o] = s.liangTimes[o] == 2;
    }
    if (s.phase != kPhaseShowing) {
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o == k.me || s.liangTimes[o] != 1 || s.liang[o] != 0) {
                continue;
            }
            for (std::uint8_t x = 0; x < 4; ++x) {
                if (x != o && (s.liang[x] == 1 || s.liang[x] == 2)) {
                    k.notAsked[o] = true;
                }
            }
        }
        if (s.leaderKnown && s.leader != k.me && !seen[kThreeOfSuit0]) {
            k.fixed[s.leader].push_back(kThreeOfSuit0);
            seen[kThreeOfSuit0] = true;
        }
    }
    for (std::uint8_t c : OneDeck()) {
        if (!seen[c] && c != kRedTen59 && c != kRedTen72) {
            k.free.push_back(c);
        }
    }
    return k;
}

struct World {
    std::array<Counts, 4> now{};
    std::array<bool, 4> red{};
    std::array<bool, 4> basic{};  // the seat plays like the basic player
    std::uint8_t leader = 0;      // the holder of the three of suit 0 at the deal
};

// One way the unknown red tens may lie, with its prior weight.
struct RedPlacement {
    std::array<int, 2> holder{-1, -1};
    double weight = 0;
};

std::vector<RedPlacement> RedPlacements(const Knowledge& k) {
    std::array<int, 4> room{};
    for (std::uint8_t o = 0; o < 4; ++o) {
        room[o] = o == k.me ? 0 : k.state.left[o] - static_cast<int>(k.fixed[o].size());
    }
    std::vector<RedPlacement> out;
    const auto consider = [&](std::array<int, 2> holder) {
        double w = 1;
        std::array<int, 4> used{};
        for (std::size_t i = 0; i < 2; ++i) {
            if (k.redHolder[i] < 0) {
                const int o = holder[i];
                w *= std::max(
                    0, room[static_cast<std::size_t>(o)] - used[static_cast<std::size_t>(o)]);
                ++used[static_cast<std::size_t>(o)];
            }
        }
        for (std::uint8_t o = 0; o < 4; ++o) {
            const int held = (holder[0] == o ? 1 : 0) + (holder[1] == o ? 1 : 0);
            if (k.exactlyOne[o] && held != 1) {
                w = 0;
            }
            if (k.notAsked[o] && held == 1) {
                w *= kNotAskedToFollow;
            }
        }
        if (w > 0) {
            out.push_back({holder, w});
        }
    };
    const auto options = [&](std::size_t i) {
        std::vector<int> seats;
        if (k.redHolder[i] >= 0) {
            seats.push_back(k.redHolder[i]);
        } else {
            for (int o = 0; o < 4; ++o) {
                if (o != k.me) {
                    seats.push_back(o);
                }
            }
        }
        return seats;
    };
    for (int a : options(0)) {
        for (int b : options(1)) {
            consider({a, b});
        }
    }
    if (out.empty()) {
        // The public events cannot be explained (a seat that was asked to
        // follow but could not have been): draw as if nothing were known.
        RedPlacement any;
        any.holder = k.redHolder;
        for (std::size_t i = 0; i < 2; ++i) {
            if (any.holder[i] < 0) {
                for (std::uint8_t o = 0; o < 4; ++o) {
                    if (o != k.me && room[o] > 0) {
                        any.holder[i] = o;
                        break;
                    }
                }
            }
        }
        any.weight = 1;
        out.push_back(any);
    }
    return out;
}

// How well a seat's answers and plays are explained: if it plays like the
// room's basic computer player, which does what it must (slips counts what
// it would not have done), and if it plays like anybody else, who mostly
// shows strong hands, leads low and beats what it cheaply can.
struct Fit {
    double basic = 1;
    double anybody = 1;
    int slips = 0;
};

// A world being explored: the hidden cards that may lie anywhere, apart
// from those whose holder is known.
struct Deal {
    std::array<CardList, 4> loose;
    std::array<Counts, 4> now{};
    std::array<bool, 4> red{};
    std::array<bool, 4> basic{};  // the style each seat is explained by
    std::array<Fit, 4> fit{};
    double weight = 0;
};

class Explorer {
  public:
    Explorer(const Knowledge& k, bool readSides)
        : k_(k), reds_(RedPlacements(k)), readSides_(readSides) {
        for (const RedPlacement& p : reds_) {
            totalRedWeight_ += p.weight;
        }
        for (std::uint8_t o = 0; o < 4; ++o) {
            fixed_[o] = CountsOf(k.fixed[o]);
            for (std::uint8_t c : k.state.played[o]) {
                AddCard(played_[o], c);
            }
        }
        for (std::size_t i = 0; i < k.actions.size(); ++i) {
            seatActions_[k.actions[i].seat].push_back(i);
            explains_ = true;
        }
        explains_ = explains_ ||
                    std::any_of(k.notAsked.begin(), k.notAsked.end(), [](bool b) { return b; });
    }

    // Whether any public event tells one world from another.
    bool Explains() const { return explains_; }

    // A world drawn from what is certain: the red tens first, as their
    // holders' answers allow, then the rest dealt at random.
    Deal Draw(DealRng& rng) const {
        double pick = totalRedWeight_ * Uniform(rng);
        const RedPlacement* placement = &reds_.back();
        for (const RedPlacement& p : reds_) {
            if (pick < p.weight) {
                placement = &p;
                break;
            }
            pick -= p.weight;
        }
        Deal d;
        for (std::size_t i = 0; i < 2; ++i) {
            const int o = placement->holder[i];
            if (k_.redHolder[i] < 0 && o >= 0) {
                d.loose[static_cast<std::size_t>(o)].push_back(kRedTenCodes[i]);
            }
        }
        CardList deck = k_.free;
        for (std::size_t i = deck.size(); i > 1; --i) {
            std::swap(deck[i - 1], deck[rng.Below(static_cast<std::uint32_t>(i))]);
        }
        std::size_t next = 0;
        for (std::uint8_t o = 0; o < 4; ++o) {
            d.basic[o] = o != k_.me;
            if (o == k_.me) {
                continue;
            }
            const std::size_t want =
                k_.state.left[o] - std::min<std::size_t>(k_.state.left[o], k_.fixed[o].size());
            while (d.loose[o].size() < want && next < deck.size()) {
                d.loose[o].push_back(deck[next++]);
            }
        }
        Settle(d);
        return d;
    }

    // One step of a Metropolis walk: two hidden cards of two seats change
    // places, and the change stays as often as it explains the table as
    // well. Walking keeps the worlds likely where blind draws seldom are.
    void Step(Deal& d, DealRng& rng) const {
        std::array<std::uint8_t, 4> seats{};
        std::size_t n = 0;
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o != k_.me && !d.loose[o].empty()) {
                seats[n++] = o;
            }
        }
        if (n < 2) {
            return;
        }
        const std::uint8_t a = seats[rng.Below(static_cast<std::uint32_t>(n))];
        std::uint8_t b = seats[rng.Below(static_cast<std::uint32_t>(n - 1))];
        if (b == a) {
            b = seats[n - 1];
        }
        const std::size_t i = rng.Below(static_cast<std::uint32_t>(d.loose[a].size()));
        const std::size_t j = rng.Below(static_cast<std::uint32_t>(d.loose[b].size()));
        const std::uint8_t x = d.loose[a][i];
        const std::uint8_t y = d.loose[b][j];
        const bool redX = x == kRedTen59 || x == kRedTen72;
        const bool redY = y == kRedTen59 || y == kRedTen72;
        if (redX == redY && Rank(x) == Rank(y)) {
            std::swap(d.loose[a][i], d.loose[b][j]);  // the same world
            return;
        }
        Deal next = d;
        std::swap(next.loose[a][i], next.loose[b][j]);
        if (redX != redY) {
            Settle(next);
        } else {
            next.now[a] = Sum(fixed_[a], next.loose[a]);
            next.now[b] = Sum(fixed_[b], next.loose[b]);
            next.fit[a] = SeatFit(next, a);
            next.fit[b] = SeatFit(next, b);
            next.weight = Weight(next);
        }
        if (d.weight <= 0 || next.weight >= d.weight || Uniform(rng) * d.weight < next.weight) {
            d = std::move(next);
        }
    }

    // Each seat keeps the basic player's style where the walk found a world
    // in which it did exactly what the basic player does; the others are
    // explained as anybody from now on.
    void ChooseStyles(Deal& d) const {
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o != k_.me && d.basic[o] && (d.fit[o].slips > 0 || d.fit[o].basic <= 0)) {
                d.basic[o] = false;
                d.fit[o] = SeatFit(d, o);
            }
        }
        d.weight = Weight(d);
    }

    World Emit(const Deal& d) const {
        World w;
        w.now = d.now;
        w.red = d.red;
        w.basic = d.basic;
        w.leader = k_.state.leaderKnown ? k_.state.leader : k_.me;
        if (!k_.state.leaderKnown) {
            for (std::uint8_t o = 0; o < 4; ++o) {
                const CardList& cards = d.loose[o];
                if (std::find(cards.begin(), cards.end(), kThreeOfSuit0) != cards.end()) {
                    w.leader = o;
                }
            }
        }
        return w;
    }

  private:
    static Counts Sum(Counts base, const CardList& cards) {
        for (std::uint8_t c : cards) {
            AddCard(base, c);
        }
        return base;
    }

    void Settle(Deal& d) const {
        for (std::uint8_t o = 0; o < 4; ++o) {
            d.now[o] = o == k_.me ? k_.handCounts : Sum(fixed_[o], d.loose[o]);
            d.red[o] = d.now[o].reds > 0 || k_.state.redsPlayed[o] != 0;
        }
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o != k_.me) {
                d.fit[o] = SeatFit(d, o);
            }
        }
        d.weight = Weight(d);
    }

    double Weight(const Deal& d) const {
        double p = 1;
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o != k_.me) {
                p *= d.basic[o] ? d.fit[o].basic : d.fit[o].anybody;
            }
        }
        return p;
    }

    // Only the style the seat is explained by is worked out.
    Fit SeatFit(const Deal& d, std::uint8_t o) const {
        const bool basic = d.basic[o];
        Fit f;
        Counts h = d.now[o];
        for (std::size_t r = 0; r < 13; ++r) {
            h.n[r] = static_cast<std::uint8_t>(h.n[r] + played_[o].n[r]);
        }
        h.reds = static_cast<std::uint8_t>(h.reds + played_[o].reds);
        const Counts dealt = h;
        if (k_.exactlyOne[o] && dealt.reds != 1) {
            return {0, 0, 0};
        }
        if (k_.notAsked[o] && dealt.reds == 1) {
            f.basic *= kNotAskedToFollow;
            f.anybody *= kNotAskedToFollow;
        }
        const auto basicIf = [&](bool agrees) {
            if (!agrees) {
                f.basic *= kBasicSlip;
                ++f.slips;
            }
        };
        for (std::size_t index : seatActions_[o]) {
            const Action& a = k_.actions[index];
            switch (a.kind) {
                case Action::Kind::Show:
                    if (dealt.reds > 0 && basic) {
                        basicIf((a.answer != 0) == BasicShows(dealt));
                    } else if (dealt.reds > 0) {
                        const double show = ShowChance(Strength(dealt));
                        f.anybody *= a.answer == 0 ? 1 - show : show;
                    }
                    break;
                case Action::Kind::Follow:
                    if (basic) {
                        basicIf((a.answer != 0) == BasicFollows(dealt));
                    } else {
                        const double follow = FollowChance(Strength(dealt));
                        f.anybody *= a.answer == 0 ? 1 - follow : follow;
                    }
                    break;
                case Action::Kind::Play:
                    if (basic) {
                        basicIf(SameShape(BasicChoice(h, a.lead ? nullptr : &a.toBeat), a.move));
                    } else if (a.move.IsPass()) {
                        if (HasCheapBeat(h, a.toBeat)) {
                            f.anybody *= d.red[o] == d.red[a.toBeatSeat] ? kPassPartnerWithCheapBeat
                                                                         : kPassWithCheapBeat;
                        }
                        break;
                    }
                    if (!basic && a.lead && !a.move.IsPass() &&
                        (a.move.type == kTypeSingle || a.move.type == kTypePair) &&
                        a.move.rank < kRedRank) {
                        int lower = 0;
                        for (int r = 0; r < a.move.rank; ++r) {
                            lower += h.At(r) > 0 ? 1 : 0;
                        }
                        f.anybody *= std::pow(kLeadOverLowerRank, std::min(lower, 4));
                    }
                    if (!basic && readSides_ && !a.lead && a.toBeatSeat != o &&
                        d.red[o] == d.red[a.toBeatSeat] && h.Total() > a.move.len) {
                        f.anybody *= kBeatOwnSide;
                    }
                    if (Holds(h, a.move)) {
                        Remove(h, a.move);
                    }
                    break;
            }
        }
        return f;
    }

    const Knowledge& k_;
    std::vector<RedPlacement> reds_;
    double totalRedWeight_ = 0;
    std::array<Counts, 4> fixed_{};
    std::array<Counts, 4> played_{};
    std::array<std::vector<std::size_t>, 4> seatActions_;
    bool explains_ = false;
    bool readSides_ = false;
};

// Worlds for the search: independent draws when nothing public tells
// worlds apart, else a few Metropolis walks, each started from the best of
// a few draws. A walk first explains every seat as the basic player, which
// climbs fast towards worlds where they did exactly that; seats it cannot
// so explain are then explained as anybody, and the walk goes on, giving
// one world every few steps.
std::vector<World> Worlds(const Knowledge& k, const StrongOptions& options, DealRng& rng,
                          const Limits& limits) {
    const Explorer explorer(k, options.readSides);
    std::vector<World> worlds;
    const int keep = std::max(1, options.worlds);
    worlds.reserve(static_cast<std::size_t>(keep));
    if (!explorer.Explains()) {
        while (static_cast<int>(worlds.size()) < keep) {
            Deal deal = explorer.Draw(rng);
            explorer.ChooseStyles(deal);
            worlds.push_back(explorer.Emit(deal));
        }
        return worlds;
    }
    const int chains = std::clamp(options.chains, 1, keep);
    for (int c = 0; c < chains; ++c) {
        Deal deal = explorer.Draw(rng);
        for (int t = 1; t < options.drawn; ++t) {
            Deal other = explorer.Draw(rng);
            if (other.weight > deal.weight) {
                deal = std::move(other);
            }
        }
        // Out of time, the walks stop where they are: a world is still a
        // world, only a less likely one.
        for (int step = 0; step < options.burn && !limits.Expired(); ++step) {
            explorer.Step(deal, rng);
        }
        explorer.ChooseStyles(deal);
        const int samples = keep / chains + (c < keep % chains ? 1 : 0);
        for (int i = 0; i < samples; ++i) {
            for (int step = 0; step < options.thin && !limits.Expired(); ++step) {
                explorer.Step(deal, rng);
            }
            worlds.push_back(explorer.Emit(deal));
        }
    }
    return worlds;
}

SimState StateIn(const Knowledge& k, const World& w) {
    SimState s;
    s.Start(w.now, w.red, w.leader);
    const PublicState& p = k.state;
    int shown = 0;
    for (std::uint8_t o = 0; o < 4; ++o) {
        const std::uint8_t answer =
            p.phase == kPhaseShowing ? (p.liang[o] == 4 ? 0 : p.liang[o]) : p.shown[o];
        shown += std::popcount(static_cast<unsigned>(answer));
        if ((answer | p.redsPlayed[o]) != 0) {
            s.revealed[o] = true;
            s.tensKnown =
                static_cast<std::uint8_t>(s.tensKnown + w.now[o].reds +
                                          std::popcount(static_cast<unsigned>(p.redsPlayed[o])));
        }
    }
    s.multiplier = 1 << shown;
    s.basic = w.basic;
    if (p.phase == kPhaseLead || p.phase == kPhaseFollow) {
        s.place = p.place;
        s.finished = static_cast<std::uint8_t>(p.finished);
        s.cur = p.cur;
        s.lead = p.phase == kPhaseLead;
        s.toBeat = p.toBeat;
        s.toBeatSeat = p.toBeatSeat;
        s.passes = static_cast<std::uint8_t>(p.passes);
    }
    return s;
}

class StrongPlayer final : public Player {
  public:
    explicit StrongPlayer(const StrongOptions& options) : options_(options) {}

    std::string_view Name() const override { return options_.softMs > 0 ? "expert" : "strong"; }

    Decision Decide(const SeatView& view, const Limits& limits) const override {
        const PublicState state = Replay(view.events);
        switch (AskOf(view, state)) {
            case Ask::Showing:
            case Ask::Follow: {
                const std::uint8_t held = RedTensIn(HandNow(view));
                if (held == 0) {
                    return {};
                }
                return {static_cast<std::uint8_t>(
                            ShowingGain(view, held, limits) > options_.showAbove ? held : 0),
                        {}};
            }
            case Ask::Play:
                return {0, ChoosePlay(view, limits)};
            case Ask::Nothing:
                break;
        }
        return {};
    }

  private:
    // What showing the tens held gains on average, in stakes: every world
    // played out twice, with the tens kept hidden and with them shown, which
    // doubles the stake for each and tells everybody whose side the seat is.
    double ShowingGain(const SeatView& view, std::uint8_t held, const Limits& limits) const {
        const Knowledge k = Learn(view);
        DealRng rng(limits.seed);
        const std::vector<World> worlds = Worlds(k, options_, rng, limits);
        const int tens = std::popcount(static_cast<unsigned>(held));
        double gain = 0;
        int played = 0;
        for (const World& w : worlds) {
            if (limits.Expired()) {
                break;
            }
            SimState hidden = StateIn(k, w);
            SimState shown = hidden;
            shown.multiplier <<= tens;
            shown.revealed[k.me] = true;
            shown.tensKnown = static_cast<std::uint8_t>(shown.tensKnown + tens);
            Rollout(hidden);
            Rollout(shown);
            gain += shown.Score(k.me) - hidden.Score(k.me);
            ++played;
        }
        return played == 0 ? 0 : gain / played;
    }

    CardList ChoosePlay(const SeatView& view, const Limits& limits) const {
        const Knowledge k = Learn(view);
        MoveList moves;
        GenerateMoves(k.handCounts, k.state.phase == kPhaseLead ? nullptr : &k.state.toBeat, moves);
        if (moves.size == 0) {
            return {kPassCard};
        }
        if (moves.size == 1) {
            return CardsFor(k.hand, moves[0]);
        }
        const auto start = std::chrono::steady_clock::now();
        Limits own = limits;
        if (options_.hardMs > 0) {
            const auto hard = start + std::chrono::milliseconds(options_.hardMs);
            own.deadline = limits.deadline ? std::min(*limits.deadline, hard) : hard;
        }
        DealRng rng(limits.seed);
        const std::vector<World> worlds = Worlds(k, options_, rng, own);
        // Every candidate is played out in the first worlds; only the best
        // few go on through the rest, where the close calls are decided.
        std::vector<long> total(moves.size, 0);
        std::vector<std::size_t> alive(moves.size);
        for (std::size_t i = 0; i < moves.size; ++i) {
            alive[i] = i;
        }
        int played = 0;
        for (const World& w : worlds) {
            if (own.Expired() || (played > options_.screen && Settled(total, alive, played, start))) {
                break;
            }
            if (played == options_.screen &&
                alive.size() > static_cast<std::size_t>(options_.keep)) {
                std::stable_sort(alive.begin(), alive.end(),
                                 [&](std::size_t a, std::size_t b) { return total[a] > total[b]; });
                alive.resize(static_cast<std::size_t>(std::max(options_.keep, 1)));
            }
            const SimState base = StateIn(k, w);
            for (std::size_t i : alive) {
                SimState s = base;
                s.Apply(moves[i]);
                Rollout(s);
                total[i] += s.Score(k.me);
            }
            ++played;
        }
        if (played == 0) {
            // No time at all: the quick policy's own choice in the first world.
            const SimState base = StateIn(k, worlds.front());
            return CardsFor(k.hand, RolloutMove(base));
        }
        std::size_t best = alive.front();
        for (std::size_t i : alive) {
            if (total[i] > total[best] || (total[i] == total[best] && i < best)) {
                best = i;
            }
        }
        return CardsFor(k.hand, moves[best]);
    }

    // Past the soft budget the search goes on only while the two best plays
    // are within a tenth of a stake of each other.
    bool Settled(const std::vector<long>& total, const std::vector<std::size_t>& alive,
                 int played, std::chrono::steady_clock::time_point start) const {
        if (options_.softMs <= 0 || alive.size() < 2 ||
            std::chrono::steady_clock::now() - start < std::chrono::milliseconds(options_.softMs)) {
            return false;
        }
        long first = total[alive[0]];
        long second = total[alive[1]];
        if (second > first) {
            std::swap(first, second);
        }
        for (std::size_t i = 2; i < alive.size(); ++i) {
            const long t = total[alive[i]];
            if (t > first) {
                second = first;
                first = t;
            } else if (t > second) {
                second = t;
            }
        }
        return static_cast<double>(first - second) / played >= 0.1;
    }

    StrongOptions options_;
};

// The rollout policy on its own, for measuring it: sides it cannot see are
// taken for opponents.
class QuickPlayer final : public Player {
  public:
    std::string_view Name() const override { return "quick"; }

    Decision Decide(const SeatView& view, const Limits&) const override {
        const PublicState state = Replay(view.events);
        const Ask ask = AskOf(view, state);
        if (ask == Ask::Showing || ask == Ask::Follow) {
            return {};
        }
        if (ask != Ask::Play) {
            return {};
        }
        const Knowledge k = Learn(view);
        World w;
        w.now[k.me] = k.handCounts;
        const bool meRed = RedTensIn(view.hand) != 0;
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o != k.me) {
                w.now[o].n[0] = k.state.left[o];  // only the count matters to the policy
                const bool knownRed = k.redHolder[0] == o || k.redHolder[1] == o;
                w.red[o] = knownRed;
            } else {
                w.red[o] = meRed;
            }
        }
        const SimState s = StateIn(k, w);
        return {0, CardsFor(k.hand, RolloutMove(s))};
    }
};

}  // namespace

std::unique_ptr<Player> MakeQuickPlayer() {
    return std::make_unique<QuickPlayer>();
}

std::vector<ImaginedDeal> ImagineDeals(const SeatView& view, const StrongOptions& options,
                                       std::uint64_t seed) {
    const Knowledge k = Learn(view);
    DealRng rng(seed);
    std::vector<ImaginedDeal> deals;
    for (const World& w : Worlds(k, options, rng, Limits{})) {
        deals.push_back({w.now, w.red, w.basic});
    }
    return deals;
}

StrongOptions ExpertOptions() {
    StrongOptions o;
    o.worlds = 1200;
    o.chains = 24;
    o.burn = 300;
    o.screen = 40;
    o.keep = 10;
    o.readSides = true;
    o.softMs = 150;
    o.hardMs = 600;
    return o;
}

std::vector<ActionValue> ValueActions(const SeatView& view, const StrongOptions& options,
                                      const Limits& limits, const Decision* alwaysKept) {
    const PublicState state = Replay(view.events);
    const Ask ask = AskOf(view, state);
    const CardList hand = HandNow(view);
    const std::uint8_t held = RedTensIn(hand);
    std::vector<ActionValue> values;
    MoveList moves;
    switch (ask) {
        case Ask::Showing:
            for (std::uint8_t a = 0; a < 4; ++a) {
                if ((a & ~held) == 0) {
                    values.push_back({{a, {}}});
                }
            }
            break;
        case Ask::Follow:
            values.push_back({{0, {}}});
            if (held != 0) {
                values.push_back({{held, {}}});
            }
            break;
        case Ask::Play:
            GenerateMoves(CountsOf(hand), state.phase == kPhaseLead ? nullptr : &state.toBeat,
                          moves);
            for (const Move& m : moves) {
                values.push_back({{0, CardsFor(hand, m)}});
            }
            break;
        case Ask::Nothing:
            break;
    }
    if (values.size() < 2) {
        return values;
    }
    const Knowledge k = Learn(view);
    DealRng rng(limits.seed);
    std::vector<long> stakes(values.size(), 0);
    std::vector<std::size_t> alive(values.size());
    for (std::size_t i = 0; i < alive.size(); ++i) {
        alive[i] = i;
    }
    // The answer that must stay, by the play it makes or its answer.
    std::size_t kept = values.size();
    Move keptMove;
    const bool keptPlays = alwaysKept != nullptr && MoveOfCards(alwaysKept->play, keptMove);
    for (std::size_t i = 0; alwaysKept != nullptr && i < values.size(); ++i) {
        if (ask == Ask::Play ? keptPlays && keptMove == moves[i]
                             : alwaysKept->answer == values[i].action.answer) {
            kept = i;
        }
    }
    int played = 0;
    for (const World& w : Worlds(k, options, rng, limits)) {
        if (limits.Expired()) {
            break;
        }
        if (played == options.screen && options.screen > 0 &&
            alive.size() > static_cast<std::size_t>(options.keep)) {
            const auto better = [&](std::size_t a, std::size_t b) {
                return values[a].win > values[b].win ||
                       (values[a].win == values[b].win && stakes[a] > stakes[b]);
            };
            std::stable_sort(alive.begin(), alive.end(), better);
            const auto cut = alive.begin() + std::max(options.keep, 1);
            if (kept < values.size() && std::find(alive.begin(), cut, kept) == cut) {
                *std::find(cut, alive.end(), kept) = *std::prev(cut);
                *std::prev(cut) = kept;
            }
            alive.erase(cut, alive.end());
        }
        ++played;
        const SimState base = StateIn(k, w);
        for (std::size_t i : alive) {
            SimState s = base;
            if (ask == Ask::Play) {
                s.Apply(moves[i]);
            } else if (const std::uint8_t answer = values[i].action.answer; answer != 0) {
                const int tens = std::popcount(static_cast<unsigned>(answer));
                s.multiplier <<= tens;
                s.revealed[k.me] = true;
                s.tensKnown = static_cast<std::uint8_t>(s.tensKnown + tens);
            }
            Rollout(s);
            stakes[i] += s.Score(k.me);
            values[i].win += s.over && s.redWon == s.red[k.me] ? 1 : 0;
            ++values[i].worlds;
        }
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i].worlds > 0) {
            values[i].win /= values[i].worlds;
            values[i].stake = static_cast<double>(stakes[i]) / values[i].worlds;
        }
    }
    return values;
}

std::unique_ptr<Player> MakeStrongPlayer(const StrongOptions& options) {
    return std::make_unique<StrongPlayer>(options);
}

std::unique_ptr<Player> MakeStrongPlayer(std::string_view settings) {
    StrongOptions options;
    while (!settings.empty()) {
        const std::size_t colon = settings.find(':');
        const std::string_view item = settings.substr(0, colon);
        settings =
            colon == std::string_view::npos ? std::string_view() : settings.substr(colon + 1);
        const std::size_t eq = item.find('=');
        if (eq == std::string_view::npos) {
            return nullptr;
        }
        const std::string_view key = item.substr(0, eq);
        double value = 0;
        const std::string text(item.substr(eq + 1));
        char* end = nullptr;
        value = std::strtod(text.c_str(), &end);
        if (text.empty() || end != text.c_str() + text.size()) {
            return nullptr;
        }
        if (key == "worlds" && value >= 1 && value <= 10000) {
            options.worlds = static_cast<int>(value);
        } else if (key == "drawn" && value >= 1 && value <= 1000) {
            options.drawn = static_cast<int>(value);
        } else if (key == "chains" && value >= 1 && value <= 1000) {
            options.chains = static_cast<int>(value);
        } else if (key == "burn" && value >= 0 && value <= 100000) {
            options.burn = static_cast<int>(value);
        } else if (key == "thin" && value >= 0 && value <= 10000) {
            options.thin = static_cast<int>(value);
        } else if (key == "show" && std::abs(value) <= 10) {
            options.showAbove = value;
        } else if (key == "screen" && value >= 0 && value <= 10000) {
            options.screen = static_cast<int>(value);
        } else if (key == "keep" && value >= 1 && value <= 1000) {
            options.keep = static_cast<int>(value);
        } else if (key == "sides" && (value == 0 || value == 1)) {
            options.readSides = value == 1;
        } else if (key == "soft" && value >= 0 && value <= 60000) {
            options.softMs = static_cast<int>(value);
        } else if (key == "hard" && value >= 0 && value <= 60000) {
            options.hardMs = static_cast<int>(value);
        } else {
            return nullptr;
        }
    }
    return std::make_unique<StrongPlayer>(options);
}

}  // namespace redten::engine
