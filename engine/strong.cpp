#include "engine/strong.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <string>

#include "engine/model.h"
#include "engine/sim.h"
#include "engine/shuffle.h"

namespace redten::engine {
namespace {

constexpr std::array<std::uint8_t, 2> kRedTenCodes{kRedTen59, kRedTen72};
constexpr std::uint8_t kThreeOfSuit0 = 0;

// How the other seats are expected to behave, as likelihoods of what they
// did given a world. Plain numbers on purpose: people and computer players
// alike mostly show strong hands, lead low and beat what they cheaply can.
constexpr double kPassWithCheapBeat = 0.15;      // passing an opponent's play they could take
constexpr double kPassPartnerWithCheapBeat = 0.6;  // ... their partner's
constexpr double kLeadOverLowerRank = 0.55;      // per lower rank held when leading
constexpr double kNotAskedToFollow = 0.1;        // not asked, yet holding exactly one red ten
constexpr double kLikeBasic = 0.5;  // a seat plays like the room's basic computer player
constexpr double kBasicSlip = 0.02;  // ... and yet did something else

double ShowChance(int strength) { return strength >= 5 ? 0.8 : strength == 4 ? 0.35 : 0.1; }
double FollowChance(int strength) { return strength >= 4 ? 0.8 : strength == 3 ? 0.35 : 0.1; }

// Red tens, aces and twos: what makes a hand worth showing.
int Strength(const Counts& c) { return c.reds + c.n[11] + c.n[12]; }

bool IsCheap(const Move& m) {
    return m.type != kTypeBomb && m.type != kTypeRedTens &&
           !(m.type == kTypeSingle && m.rank == kRedRank);
}

bool HasCheapBeat(const Counts& hand, const Move& toBeat) {
    MoveList moves;
    GenerateMoves(hand, &toBeat, moves);
    return std::any_of(moves.begin(), moves.end(),
                       [](const Move& m) { return !m.IsPass() && IsCheap(m); });
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
    std::uint8_t leader = 0;  // the holder of the three of suit 0 at the deal
    double weight = 1;
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
                w *= std::max(0, room[static_cast<std::size_t>(o)] - used[static_cast<std::size_t>(o)]);
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

class Sampler {
public:
    explicit Sampler(const Knowledge& k) : k_(k), reds_(RedPlacements(k)) {
        for (const RedPlacement& p : reds_) {
            totalRedWeight_ += p.weight;
        }
    }

    World Draw(DealRng& rng) const {
        double pick = totalRedWeight_ * (static_cast<double>(rng.Next() >> 11) * 0x1.0p-53);
        const RedPlacement* placement = &reds_.back();
        for (const RedPlacement& p : reds_) {
            if (pick < p.weight) {
                placement = &p;
                break;
            }
            pick -= p.weight;
        }
        std::array<CardList, 4> cards = k_.fixed;
        for (std::size_t i = 0; i < 2; ++i) {
            const int o = placement->holder[i];
            if (k_.redHolder[i] < 0 && o >= 0) {
                cards[static_cast<std::size_t>(o)].push_back(kRedTenCodes[i]);
            }
        }
        CardList deck = k_.free;
        std::size_t next = 0;
        for (std::size_t i = deck.size(); i > 1; --i) {
            std::swap(deck[i - 1], deck[rng.Below(static_cast<std::uint32_t>(i))]);
        }
        World w;
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o == k_.me) {
                w.now[o] = k_.handCounts;
                continue;
            }
            while (cards[o].size() < k_.state.left[o] && next < deck.size()) {
                cards[o].push_back(deck[next++]);
            }
            w.now[o] = CountsOf(cards[o]);
            if (std::find(cards[o].begin(), cards[o].end(), kThreeOfSuit0) != cards[o].end()) {
                w.leader = o;
            }
        }
        if (std::find(k_.hand.begin(), k_.hand.end(), kThreeOfSuit0) != k_.hand.end()) {
            w.leader = k_.me;
        }
        if (k_.state.leaderKnown) {
            w.leader = k_.state.leader;
        }
        for (std::uint8_t o = 0; o < 4; ++o) {
            w.red[o] = placement->holder[0] == o || placement->holder[1] == o;
        }
        w.weight = placement->weight > 0 ? Likelihood(w) : 0;
        return w;
    }

private:
    // How well the world explains what the other seats answered and played.
    // Each seat is taken to play either like the room's basic computer
    // player, which answers as it must, or like anybody else, who mostly
    // shows strong hands, leads low and beats what it cheaply can.
    double Likelihood(const World& w) const {
        std::array<Counts, 4> hist = w.now;
        for (std::uint8_t o = 0; o < 4; ++o) {
            for (std::uint8_t c : k_.state.played[o]) {
                AddCard(hist[o], c);
            }
        }
        const std::array<Counts, 4> dealt = hist;
        std::array<double, 4> basic{1, 1, 1, 1};
        std::array<double, 4> anybody{1, 1, 1, 1};
        const auto basicIf = [&](std::uint8_t seat, bool agrees) {
            basic[seat] *= agrees ? 1.0 : kBasicSlip;
        };
        for (const Action& a : k_.actions) {
            const std::uint8_t o = a.seat;
            const Counts& h = hist[o];
            switch (a.kind) {
                case Action::Kind::Show:
                    if (dealt[o].reds > 0) {
                        const double show = ShowChance(Strength(dealt[o]));
                        anybody[o] *= a.answer == 0 ? 1 - show : show;
                        basicIf(o, (a.answer != 0) == BasicShows(dealt[o]));
                    }
                    break;
                case Action::Kind::Follow: {
                    const double follow = FollowChance(Strength(dealt[o]));
                    anybody[o] *= a.answer == 0 ? 1 - follow : follow;
                    basicIf(o, (a.answer != 0) == BasicFollows(dealt[o]));
                    break;
                }
                case Action::Kind::Play:
                    basicIf(o, SameShape(BasicChoice(h, a.lead ? nullptr : &a.toBeat), a.move));
                    if (a.move.IsPass()) {
                        if (HasCheapBeat(h, a.toBeat)) {
                            anybody[o] *= w.red[o] == w.red[a.toBeatSeat] ? kPassPartnerWithCheapBeat
                                                                         : kPassWithCheapBeat;
                        }
                        break;
                    }
                    if (a.lead && (a.move.type == kTypeSingle || a.move.type == kTypePair) &&
                        a.move.rank < kRedRank) {
                        int lower = 0;
                        for (int r = 0; r < a.move.rank; ++r) {
                            lower += h.At(r) > 0 ? 1 : 0;
                        }
                        anybody[o] *= std::pow(kLeadOverLowerRank, std::min(lower, 4));
                    }
                    if (Holds(h, a.move)) {
                        Remove(hist[o], a.move);
                    }
                    break;
            }
        }
        double p = 1;
        for (std::uint8_t o = 0; o < 4; ++o) {
            if (o != k_.me) {
                p *= kLikeBasic * basic[o] + (1 - kLikeBasic) * anybody[o];
            }
        }
        return p;
    }

    const Knowledge& k_;
    std::vector<RedPlacement> reds_;
    double totalRedWeight_ = 0;
};

// Draws drawn worlds and keeps `keep` of them, each as often as its weight
// deserves (systematic resampling), so the search spends its rollouts on
// the worlds that explain the table best.
std::vector<World> Worlds(const Knowledge& k, int keep, int drawn, DealRng& rng) {
    const Sampler sampler(k);
    std::vector<World> pool;
    pool.reserve(static_cast<std::size_t>(drawn));
    double total = 0;
    for (int i = 0; i < drawn; ++i) {
        pool.push_back(sampler.Draw(rng));
        total += pool.back().weight;
    }
    if (total <= 0) {
        for (World& w : pool) {
            w.weight = 1;
        }
        total = static_cast<double>(pool.size());
    }
    std::vector<World> kept;
    kept.reserve(static_cast<std::size_t>(keep));
    const double step = total / keep;
    double mark = step * (static_cast<double>(rng.Next() >> 11) * 0x1.0p-53);
    double sum = 0;
    for (const World& w : pool) {
        sum += w.weight;
        while (mark < sum && static_cast<int>(kept.size()) < keep) {
            kept.push_back(w);
            mark += step;
        }
    }
    while (static_cast<int>(kept.size()) < keep && !pool.empty()) {
        kept.push_back(pool.back());
    }
    return kept;
}

SimState StateIn(const Knowledge& k, const World& w, bool sidesOpen = false) {
    SimState s;
    s.Start(w.now, w.red, w.leader);
    const PublicState& p = k.state;
    int shown = 0;
    for (std::uint8_t o = 0; o < 4; ++o) {
        const std::uint8_t answer = p.phase == kPhaseShowing ? (p.liang[o] == 4 ? 0 : p.liang[o])
                                                             : p.shown[o];
        shown += (answer & 1) + ((answer >> 1) & 1);
    }
    s.multiplier = 1 << shown;
    s.sidesOpen = sidesOpen;
    for (std::uint8_t o = 0; o < 4; ++o) {
        const std::uint8_t answer = p.phase == kPhaseShowing ? (p.liang[o] == 4 ? 0 : p.liang[o])
                                                             : p.shown[o];
        if ((answer | p.redsPlayed[o]) != 0) {
            s.revealed[o] = true;
            s.tensKnown = static_cast<std::uint8_t>(s.tensKnown + w.now[o].reds +
                                                    std::popcount(static_cast<unsigned>(p.redsPlayed[o])));
        }
    }
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

    std::string_view Name() const override { return "strong"; }

    Decision Decide(const SeatView& view, const Limits& limits) const override {
        const PublicState state = Replay(view.events);
        switch (AskOf(view, state)) {
            case Ask::Showing:
            case Ask::Follow: {
                const std::uint8_t held = RedTensIn(HandNow(view));
                if (held == 0) {
                    return {};
                }
                return {static_cast<std::uint8_t>(ExpectedScore(view, limits) > options_.showAbove
                                                      ? held
                                                      : 0),
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
    // The seat's expected result in stakes, per stake shown, if the red
    // tens are kept hidden: showing multiplies it.
    double ExpectedScore(const SeatView& view, const Limits& limits) const {
        const Knowledge k = Learn(view);
        DealRng rng(limits.seed);
        const std::vector<World> worlds = Worlds(k, options_.worlds, options_.worlds * options_.drawn, rng);
        double total = 0;
        int played = 0;
        for (const World& w : worlds) {
            if (limits.Expired()) {
                break;
            }
            SimState s = StateIn(k, w, options_.sidesOpen);
            s.multiplier = 1;
            Rollout(s);
            total += s.Score(k.me);
            ++played;
        }
        return played == 0 ? 0 : total / played;
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
        DealRng rng(limits.seed);
        const std::vector<World> worlds = Worlds(k, options_.worlds, options_.worlds * options_.drawn, rng);
        std::vector<long> total(moves.size, 0);
        int played = 0;
        for (const World& w : worlds) {
            if (limits.Expired()) {
                break;
            }
            const SimState base = StateIn(k, w, options_.sidesOpen);
            for (std::size_t i = 0; i < moves.size; ++i) {
                SimState s = base;
                s.Apply(moves[i]);
                Rollout(s);
                total[i] += s.Score(k.me);
            }
            ++played;
        }
        std::size_t best = 0;
        if (played == 0) {
            // No time at all: the quick policy's own choice in the first world.
            const SimState base = StateIn(k, worlds.front());
            return CardsFor(k.hand, RolloutMove(base));
        }
        for (std::size_t i = 1; i < moves.size; ++i) {
            if (total[i] > total[best]) {
                best = i;
            }
        }
        return CardsFor(k.hand, moves[best]);
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

std::unique_ptr<Player> MakeQuickPlayer() { return std::make_unique<QuickPlayer>(); }

std::unique_ptr<Player> MakeStrongPlayer(const StrongOptions& options) {
    return std::make_unique<StrongPlayer>(options);
}

std::unique_ptr<Player> MakeStrongPlayer(std::string_view settings) {
    StrongOptions options;
    while (!settings.empty()) {
        const std::size_t colon = settings.find(':');
        const std::string_view item = settings.substr(0, colon);
        settings = colon == std::string_view::npos ? std::string_view() : settings.substr(colon + 1);
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
        } else if (key == "drawn" && value >= 1 && value <= 100) {
            options.drawn = static_cast<int>(value);
        } else if (key == "show" && std::abs(value) <= 10) {
            options.showAbove = value;
        } else if (key == "open" && (value == 0 || value == 1)) {
            options.sidesOpen = value != 0;
        } else {
            return nullptr;
        }
    }
    return std::make_unique<StrongPlayer>(options);
}

}  // namespace redten::engine
