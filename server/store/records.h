#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/game.h"
#include "engine/review.h"
#include "server/store/store.h"

// What the room's pages and replays read from the records. Each read runs
// on the store's thread (StoreWorker::Read) and reads a bounded amount:
// lists come a page at a time.
namespace redten::room {

// Damaged: the row is there but is not a game (or a list) of ours.
enum class ReadStatus { Ok, Missing, Damaged, Failed };

template <typename T>
struct Read {
    ReadStatus status = ReadStatus::Failed;
    T value{};
};

// A person's totals, as the standings list them.
struct Standing {
    std::string name;
    bool computer = false;
    std::int32_t points = 0, games = 0, wins = 0, losses = 0, draws = 0, escapes = 0;
};

// One line of a person's games.
struct GameSummary {
    std::int64_t id = 0;
    std::string finishedAt;  // UTC, ISO 8601
    std::array<std::string, 4> players;
    std::array<std::int32_t, 4> scores{};
    std::array<std::uint8_t, 4> places{};
    int winner = 0;
    int escapedSeat = -1;
    bool abandoned = false;
    // The person's decisions the game's review judged, and those within
    // engine::kAccuratePoints of the best; none when not reviewed.
    int decisions = 0;
    int accurate = 0;
};

// One stored game, whole. records holds the players' totals as they stand
// now (not as they stood after this game); red and remaining are worked out
// by playing the game through again (ReplayChecks).
struct StoredGame {
    std::int64_t id = 0;
    std::string finishedAt;
    FinishedGame game;
    std::optional<engine::GameReview> review;  // none yet, or unreadable
};

struct PersonGames {
    Standing person;
    std::vector<GameSummary> games;  // newest first
    bool more = false;               // there are older ones
};

constexpr int kStandingsPerPage = 50;
constexpr int kGamesPerPage = 50;
// The most pages a list is read to: beyond it a page is empty.
constexpr int kMaxPage = 10000;

// Everybody's totals by points, best first; page counts from 0.
Read<std::vector<Standing>> ReadStandings(Store& store, int page, int perPage = kStandingsPerPage);
// Missing when nobody has the name.
Read<PersonGames> ReadPerson(Store& store, const std::string& name, int page);
// Missing when no game has the number.
Read<StoredGame> ReadGame(Store& store, std::int64_t id);

// The text forms of store.h, read back. Nothing when the text is not one:
// every number is checked and every list bounded.
std::optional<CardList> ParseCards(const std::string& text);
std::optional<std::vector<std::pair<std::uint8_t, CardList>>> ParsePlays(const std::string& text);
std::optional<std::vector<GameStep>> ParseSteps(const std::string& text);

// The game judged again from its dealt hands, showing answers and plays;
// nothing when the rules refuse any of them.
std::optional<engine::Game> JudgedGame(const FinishedGame& game);

// Plays the stored game through the judged rules: fills red and remaining,
// and returns the multiplier, or nothing when the record does not play
// (damaged, or from rules since changed).
std::optional<std::int32_t> ReplayChecks(FinishedGame& game);

}  // namespace redten::room
