// How long the review of a whole game takes, and how often its best play
// is the one a review with twice the worlds (and other worlds) finds.
//   build/bench/review_bench [games] [worlds] [seed] [screen] [keep]
#include <ctime>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "engine/review.h"
#include "engine/shuffle.h"

namespace redten::engine {
namespace {

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A game of four strong players, as the room's tables mostly play them.
Game PlayedGame(std::uint64_t seed) {
    const auto strong = MakePlayer("strong");
    DealRng deal(seed);
    Game game(DealHands(deal));
    for (std::uint8_t s = 0; s < 4; ++s) {
        game.AnswerShowing(s, strong->Decide(ViewOf(game, s), {seed, {}, nullptr}).answer);
    }
    game.FillMissingAnswers();
    game.EndShowing();
    for (std::uint64_t n = 0; !game.Over() && n < 300; ++n) {
        const std::uint8_t s = game.CurSeat();
        game.Play(s, strong->Decide(ViewOf(game, s), {seed * 1000 + n, {}, nullptr}).play);
    }
    return game;
}

bool SameBest(const DecisionReview& a, const DecisionReview& b) {
    if (a.play == 0) {
        return a.best.answer == b.best.answer;
    }
    Move ma, mb;
    return MoveOfCards(a.best.play, ma) && MoveOfCards(b.best.play, mb) && ma == mb;
}

int Run(int games, ReviewOptions options, std::uint64_t seed) {
    const int worlds = options.worlds;
    ReviewOptions doubled = options;
    doubled.worlds = 2 * worlds;
    doubled.screen = 2 * options.screen;
    doubled.seed = seed ^ 0xA5A5;
    std::vector<double> seconds;
    std::size_t decisions = 0, agree = 0, close = 0;
    for (int g = 0; g < games; ++g) {
        const Game game = PlayedGame(seed + static_cast<std::uint64_t>(g));
        const std::array<CardList, 4> dealt{game.DealtHand(0), game.DealtHand(1), game.DealtHand(2),
                                            game.DealtHand(3)};
        const double start = CpuSeconds();
        const auto once = ReviewGame(dealt, game.Events(), options);
        seconds.push_back(CpuSeconds() - start);
        const auto twice = ReviewGame(dealt, game.Events(), doubled);
        for (std::size_t i = 0; i < once.size() && i < twice.size(); ++i) {
            ++decisions;
            agree += SameBest(once[i], twice[i]) ? 1 : 0;
            // Another best that the longer review finds within a point of
            // its own is a tie, not a disagreement.
            close += SameBest(once[i], twice[i]) || std::abs(once[i].bestWin - twice[i].bestWin) <= 1 ? 1 : 0;
        }
    }
    std::sort(seconds.begin(), seconds.end());
    std::cout << "review of one game, " << worlds << " worlds a decision (all answers in "
              << (options.screen > 0 ? options.screen : worlds) << ", then the best " << options.keep
              << "), " << games
              << " games of four strong players (seed " << seed << ")\n"
              << "  cpu s per game: median " << seconds[seconds.size() / 2] << ", max "
              << seconds.back() << "\n"
              << "  decisions reviewed: " << decisions << " (" << decisions / static_cast<std::size_t>(games)
              << " a game)\n"
              << "  same best play as a review with " << 2 * worlds << " other worlds: "
              << 100.0 * static_cast<double>(agree) / static_cast<double>(decisions) << " %"
              << " (or one it values within a point of its own: "
              << 100.0 * static_cast<double>(close) / static_cast<double>(decisions) << " %)\n";
    return 0;
}

}  // namespace
}  // namespace redten::engine

int main(int argc, char** argv) {
    const int games = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    const int worlds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    const std::uint64_t seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 1;
    redten::engine::ReviewOptions options;
    options.worlds = worlds;
    if (argc > 4) {
        options.screen = std::max(0, std::atoi(argv[4]));
    }
    if (argc > 5) {
        options.keep = std::max(1, std::atoi(argv[5]));
    }
    return redten::engine::Run(games, options, seed);
}
