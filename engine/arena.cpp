#include "engine/arena.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <iomanip>
#include <map>
#include <mutex>
#include <numeric>
#include <ostream>
#include <sstream>
#include <thread>

#include <time.h>

#include "engine/player.h"
#include "engine/shuffle.h"
#include "engine/view.h"

namespace redten::engine {
namespace {

constexpr int kMaxSteps = 1000;  // a deal needs well under 200 answers and plays
// Every decision's time is kept until the end: about 1.5 KB a deal.
constexpr int kMaxDeals = 200'000;
constexpr int kMaxThreads = 256;

// The processor time of this thread: what a decision costs one core,
// whatever else the machine is doing.
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

std::uint64_t Mix(std::uint64_t x) {
    DealRng rng(x);
    return rng.Next();
}

struct GameOutcome {
    std::array<bool, 4> won{};
    std::array<double, 4> stakes{};
};

struct DealOutcome {
    GameOutcome baseline;
    std::array<GameOutcome, 4> withA;  // A at seat s
    std::string failure;
};

struct Times {
    std::vector<float> a, b;
};

// One game on one deal. Seats answer the showing in seat order, then the
// follow questions; then play goes round as the judge says.
std::optional<std::string> PlayGame(const std::array<CardList, 4>& hands,
                                    const std::array<const Player*, 4>& players,
                                    std::array<std::vector<float>*, 4> times,
                                    std::uint64_t dealSeed, const ArenaOptions& options,
                                    GameOutcome& outcome) {
    Game game(hands);
    const auto decide = [&](std::uint8_t seat) {
        const SeatView view = ViewOf(game, seat);
        Limits limits;
        limits.seed = Mix(dealSeed ^ (0x51ED27ull * (seat + 1)) ^ (view.events.size() << 40));
        if (options.thinkMs) {
            limits.deadline =
                std::chrono::steady_clock::now() + std::chrono::milliseconds(*options.thinkMs);
        }
        const double start = ThreadCpuMs();
        Decision d = players[seat]->Decide(view, limits);
        times[seat]->push_back(static_cast<float>(ThreadCpuMs() - start));
        if (!IsLegal(view, d)) {
            return std::optional<Decision>();
        }
        return std::optional<Decision>(std::move(d));
    };
    const auto refused = [&](std::uint8_t seat, const char* what) {
        return std::string(players[seat]->Name()) + " at seat " + std::to_string(seat) +
               " gave an illegal " + what;
    };
    for (std::uint8_t s = 0; s < 4; ++s) {
        const auto d = decide(s);
        if (!d || game.AnswerShowing(s, d->answer)) {
            return refused(s, "showing answer");
        }
    }
    // A follow that shows a ten may open the question to a seat before it.
    for (bool asked = true; asked;) {
        asked = false;
        for (std::uint8_t s = 0; s < 4; ++s) {
            if (game.MayFollow(s)) {
                asked = true;
                const auto d = decide(s);
                if (!d || game.AnswerShowing(s, d->answer)) {
                    return refused(s, "follow answer");
                }
            }
        }
    }
    game.FillMissingAnswers();
    game.EndShowing();
    for (int step = 0; step < kMaxSteps && !game.Over(); ++step) {
        const std::uint8_t seat = game.CurSeat();
        const PublicState seen = Replay(game.Events());
        if (!seen.valid || seen.cur != seat || seen.phase != game.Phase()) {
            return std::string("the public events do not replay to the judged game");
        }
        const auto d = decide(seat);
        if (!d || std::holds_alternative<std::string>(game.Play(seat, d->play))) {
            return refused(seat, "play");
        }
    }
    if (!game.Over()) {
        return std::string("a game did not end");
    }
    if (const auto broken = CheckPlayedGame(game)) {
        return broken;
    }
    const auto scores = game.Scores(1);
    for (std::uint8_t s = 0; s < 4; ++s) {
        outcome.stakes[s] = scores[s];
        outcome.won[s] = scores[s] > 0;
    }
    return std::nullopt;
}

Interval Over(const std::vector<double>& samples) {
    Interval i;
    if (samples.empty()) {
        return i;
    }
    const double n = static_cast<double>(samples.size());
    i.mean = std::accumulate(samples.begin(), samples.end(), 0.0) / n;
    if (samples.size() > 1) {
        double sq = 0;
        for (double x : samples) {
            sq += (x - i.mean) * (x - i.mean);
        }
        i.half = 1.96 * std::sqrt(sq / (n - 1) / n);
    }
    return i;
}

void Percentiles(std::vector<float> times, PolicyFigures& f) {
    f.decisions = times.size();
    if (times.empty()) {
        return;
    }
    std::sort(times.begin(), times.end());
    const auto at = [&](double q) {
        const auto i = static_cast<std::size_t>(q * static_cast<double>(times.size() - 1) + 0.5);
        return static_cast<double>(times[std::min(i, times.size() - 1)]);
    };
    f.medianMs = at(0.5);
    f.p99Ms = at(0.99);
    f.maxMs = times.back();
}

std::string Signed(double v, int digits) {
    std::ostringstream s;
    s << std::fixed << std::setprecision(digits) << std::showpos << v;
    return s.str();
}

std::string Plain(double v, int digits) {
    std::ostringstream s;
    s << std::fixed << std::setprecision(digits) << v;
    return s.str();
}

}  // namespace

std::optional<std::string> CheckPlayedGame(const Game& g) {
    std::map<std::uint8_t, int> dealt, accounted;
    std::array<CardList, 4> held;
    for (std::uint8_t s = 0; s < 4; ++s) {
        held[s] = g.DealtHand(s);
        for (std::uint8_t c : held[s]) {
            ++dealt[c];
        }
    }
    std::map<std::uint8_t, int> deck;
    for (std::uint8_t c : OneDeck()) {
        ++deck[c];
    }
    if (dealt != deck) {
        return "the deal is not one whole deck";
    }
    for (const Event& e : g.Events()) {
        if (e.kind != Event::Kind::Play || e.cards == CardList{kPassCard}) {
            continue;
        }
        for (std::uint8_t c : e.cards) {
            const auto it = std::find(held[e.seat].begin(), held[e.seat].end(), c);
            if (e.seat > 3 || it == held[e.seat].end()) {
                return "seat " + std::to_string(e.seat) + " played a card it did not hold";
            }
            held[e.seat].erase(it);
            ++accounted[c];
        }
    }
    std::vector<int> places;
    for (std::uint8_t s = 0; s < 4; ++s) {
        CardList a = held[s], b = g.Hand(s);
        std::sort(a.begin(), a.end());
        std::sort(b.begin(), b.end());
        if (a != b) {
            return "seat " + std::to_string(s) + " holds other cards than it was dealt and kept";
        }
        for (std::uint8_t c : b) {
            ++accounted[c];
        }
        if (b.empty() != (g.MingCi(s) != 0)) {
            return "seat " + std::to_string(s) + " has a place that does not match its cards";
        }
        if (g.MingCi(s) != 0) {
            places.push_back(g.MingCi(s));
        }
    }
    if (accounted != deck) {
        return "cards were lost or doubled";
    }
    std::sort(places.begin(), places.end());
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (places[i] != static_cast<int>(i + 1)) {
            return "the finishing places are not 1..k";
        }
    }
    const auto scores = g.Scores(100);
    if (std::accumulate(scores.begin(), scores.end(), 0LL) != 0) {
        return "the scores do not sum to zero";
    }
    if (g.Over()) {
        for (std::uint8_t s = 0; s < 4; ++s) {
            const bool winner = g.IsRed(s) == (g.Winner() > 0);
            if (winner && !g.Hand(s).empty()) {
                return "a winner still holds cards";
            }
            if (winner != (scores[s] > 0)) {
                return "a winner did not win points";
            }
        }
    }
    return std::nullopt;
}

ArenaResult RunArena(const ArenaOptions& options) {
    ArenaResult result;
    const auto a = MakePlayer(options.a);
    const auto b = MakePlayer(options.b);
    if (!a || !b || options.deals < 1) {
        result.failure = "unknown policy or no deals";
        return result;
    }
    const int deals = std::min(options.deals, kMaxDeals);
    std::vector<DealOutcome> outcomes(static_cast<std::size_t>(deals));
    std::atomic<int> next{0};
    std::mutex merge;
    Times all;
    const auto work = [&] {
        Times mine;
        for (int d = next++; d < deals; d = next++) {
            const std::uint64_t dealSeed =
                Mix(options.seed * 0x100000001B3ull + static_cast<std::uint64_t>(d));
            DealRng rng(dealSeed);
            const auto hands = DealHands(rng);
            DealOutcome& out = outcomes[static_cast<std::size_t>(d)];
            std::array<const Player*, 4> seats{b.get(), b.get(), b.get(), b.get()};
            std::array<std::vector<float>*, 4> times{&mine.b, &mine.b, &mine.b, &mine.b};
            auto broken = PlayGame(hands, seats, times, dealSeed, options, out.baseline);
            for (std::uint8_t s = 0; s < 4 && !broken; ++s) {
                seats = {b.get(), b.get(), b.get(), b.get()};
                times = {&mine.b, &mine.b, &mine.b, &mine.b};
                seats[s] = a.get();
                times[s] = &mine.a;
                broken = PlayGame(hands, seats, times, dealSeed, options, out.withA[s]);
            }
            if (broken) {
                out.failure = "deal " + std::to_string(d) + ": " + *broken;
            }
        }
        const std::lock_guard lock(merge);
        all.a.insert(all.a.end(), mine.a.begin(), mine.a.end());
        all.b.insert(all.b.end(), mine.b.begin(), mine.b.end());
    };
    const int threads = std::clamp(options.threads, 1, kMaxThreads);
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
        pool.emplace_back(work);
    }
    work();
    for (std::thread& t : pool) {
        t.join();
    }

    std::vector<double> base, aWin, aGain, aStake, bWin, bGain, bStake;
    for (const DealOutcome& o : outcomes) {
        if (!o.failure.empty()) {
            result.failure = o.failure;
            return result;
        }
        double bw = 0, aw = 0, ag = 0, as = 0, ow = 0, og = 0, os = 0;
        for (std::size_t s = 0; s < 4; ++s) {
            bw += o.baseline.won[s];
            aw += o.withA[s].won[s];
            ag += o.withA[s].won[s] - o.baseline.won[s];
            as += o.withA[s].stakes[s];
            for (std::size_t x = 0; x < 4; ++x) {
                if (x != s) {
                    ow += o.withA[s].won[x];
                    og += o.withA[s].won[x] - o.baseline.won[x];
                    os += o.withA[s].stakes[x];
                }
            }
        }
        base.push_back(bw / 4);
        aWin.push_back(aw / 4);
        aGain.push_back(ag / 4);
        aStake.push_back(as / 4);
        bWin.push_back(ow / 12);
        bGain.push_back(og / 12);
        bStake.push_back(os / 12);
    }
    result.deals = deals;
    result.games = deals * 5;
    result.baselineWinShare = Over(base);
    result.a = {options.a, 1, Over(aWin), Over(aGain), Over(aStake)};
    result.b = {options.b, 3, Over(bWin), Over(bGain), Over(bStake)};
    Percentiles(std::move(all.a), result.a);
    Percentiles(std::move(all.b), result.b);
    return result;
}

void PrintArena(const ArenaOptions& options, const ArenaResult& r, std::ostream& out) {
    out << "arena: " << options.a << " alone against three " << options.b << ", " << r.deals
        << " deals (" << r.games << " games), seed " << options.seed << ", "
        << std::clamp(options.threads, 1, kMaxThreads) << " thread(s)";
    if (options.thinkMs) {
        out << ", at most " << *options.thinkMs << " ms a decision";
    }
    out << "\n";
    if (!r.failure.empty()) {
        out << "broken: " << r.failure << "\n";
        return;
    }
    out << "baseline, four " << options.b << ": win share "
        << Plain(100 * r.baselineWinShare.mean, 1) << " % ± "
        << Plain(100 * r.baselineWinShare.half, 1) << "\n";
    out << "means over deals with 95 % confidence intervals; the gain is paired with the\n"
           "baseline's same seats on the same deal; stakes include the showing multiplier\n";
    out << std::left << std::setw(8) << "policy" << std::setw(7) << "seats" << std::setw(17)
        << "win share %" << std::setw(19) << "gain (points)" << std::setw(17) << "stake/game"
        << std::setw(11) << "decisions"
        << "cpu ms: median  p99     max\n";
    for (const PolicyFigures* f : {&r.a, &r.b}) {
        const auto pm = [](double mean, double half, double scale, int digits, bool sign) {
            return (sign ? Signed(scale * mean, digits) : Plain(scale * mean, digits)) + " ± " +
                   Plain(scale * half, digits);
        };
        out << std::left << std::setw(8) << f->name << std::setw(7)
            << (f->seats == 1 ? "alone" : "three") << std::setw(17)
            << pm(f->winShare.mean, f->winShare.half, 100, 1, false) << std::setw(19)
            << pm(f->gain.mean, f->gain.half, 100, 1, true) << std::setw(17)
            << pm(f->stake.mean, f->stake.half, 1, 2, true) << std::setw(11) << f->decisions
            << std::right << std::setw(10) << Plain(f->medianMs, 2) << std::setw(8)
            << Plain(f->p99Ms, 2) << std::setw(8) << Plain(f->maxMs, 2) << "\n";
    }
}

int ArenaCommand(const std::string& pair, long long deals, std::uint64_t seed, long long threads,
                 std::optional<int> thinkMs, std::ostream& out, std::ostream& err) {
    const auto comma = pair.find(',');
    ArenaOptions options;
    if (comma != std::string::npos) {
        options.a = pair.substr(0, comma);
        options.b = pair.substr(comma + 1);
    }
    if (!MakePlayer(options.a) || !MakePlayer(options.b)) {
        err << "redten-room: --arena wants two of random, basic, strong, as A,B\n";
        return 2;
    }
    if (deals < 1 || deals > kMaxDeals) {
        err << "redten-room: --deals wants 1.." << kMaxDeals << "\n";
        return 2;
    }
    if (threads < 1 || threads > kMaxThreads) {
        err << "redten-room: --threads wants 1.." << kMaxThreads << "\n";
        return 2;
    }
    options.deals = static_cast<int>(deals);
    options.seed = seed;
    options.threads = static_cast<int>(threads);
    options.thinkMs = thinkMs;
    const ArenaResult result = RunArena(options);
    PrintArena(options, result, out);
    return result.failure.empty() ? 0 : 1;
}

}  // namespace redten::engine
