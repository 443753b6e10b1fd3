#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/player.h"

namespace redten::engine {

// The review of a game: every decision a seat had a choice in, judged from
// that seat's own knowledge at the moment (its hand and what everybody saw)
// by the strong player's search, every possible answer played out in the
// same imagined worlds.

struct ReviewOptions {
    int worlds = 800;  // the budget: worlds per decision
    std::uint64_t seed = 0x4E71E3;
    // Every answer is played out in the first `screen` worlds, then only
    // the `keep` best and the one chosen (0: every answer in every world).
    int screen = 120;
    int keep = 5;
};

// What a decision is marked with, by what it cost in win chance.
enum class Mark : std::uint8_t { None, Good, Mistake, Blunder };
inline constexpr double kMistakePoints = 10;
inline constexpr double kBlunderPoints = 25;
// Within this of the best a decision counts as accurate.
inline constexpr double kAccuratePoints = 5;
// Answers this close in win chance are told apart by no review of a
// reasonable budget: the chosen one, or the first, counts as the best.
inline constexpr double kTiePoints = 2;

struct DecisionReview {
    std::uint32_t event = 0;  // its index in the game's events
    std::uint32_t play = 0;   // 1.. for plays and passes in game order; 0 for a showing answer
    std::uint8_t seat = 0;
    Decision chosen;
    Decision best;
    // Win chance of the seat's side in points (0..100), stakes on average.
    double chosenWin = 0, chosenStake = 0;
    double bestWin = 0, bestStake = 0;
    Mark mark = Mark::None;
    double Cost() const { return bestWin - chosenWin; }
};

struct GameReview {
    static constexpr int kVersion = 1;
    int worlds = 0;
    std::vector<DecisionReview> decisions;  // in game order
};

// What a seat decided, and what it knew then.
struct DecisionPoint {
    std::uint32_t event = 0;
    std::uint32_t play = 0;
    SeatView view;
    Decision chosen;
};

// Every decision of the game in which the seat had more than one choice;
// the events are those of Game::Events for the dealt hands. Stops at the
// first event the rules refuse.
std::vector<DecisionPoint> DecisionPoints(const std::array<CardList, 4>& dealt,
                                          const std::vector<Event>& events);

// One decision judged; nothing when it was not among the answers the view
// allows, or the search had no time. The seed is the decision's own: the
// review reads nothing but the view.
std::optional<DecisionReview> ReviewDecision(const DecisionPoint& point,
                                             const ReviewOptions& options,
                                             const Limits& limits = {});
std::vector<DecisionReview> ReviewGame(const std::array<CardList, 4>& dealt,
                                       const std::vector<Event>& events,
                                       const ReviewOptions& options);

// Decisions of the seat within kAccuratePoints of the best, as a share
// (0..1); nothing when the seat had no decision reviewed.
std::optional<double> Accuracy(const GameReview& review, std::uint8_t seat);

// The stored form, and back: nothing when the text is not one (every
// number checked, every list bounded).
std::string ReviewText(const GameReview& review);
std::optional<GameReview> ParseReview(std::string_view text);

// A card as people read it: "♥10", or without suits "10" ("红10" for a
// red ten); "不出" for a pass.
std::string CardWords(std::uint8_t card, bool suits = true);

// What people read: "失误", "大失误", "好棋", or nothing.
const char* MarkName(Mark mark);
// "♥10 ♠10", "不出", "亮 ♥10"…; without suits, as the tables' text can
// carry it: "红10 10", "亮红桃10" (suits never matter in play but for the
// red tens).
std::string ActionWords(const Decision& action, bool showing, bool suits = true);
// "第3手 你出了3，更好的是A（失误，胜率 40% → 55%）": who is "你" or a
// name; cards without suits.
std::string MarkLine(const DecisionReview& d, std::string_view who);

}  // namespace redten::engine
