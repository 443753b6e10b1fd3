#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "server/store/records.h"
#include "server/store/records_queue.h"

// The room's pages for a browser and the page pane, and the JSON form of a
// game: plain functions from what was read to text. Every name and text is
// escaped here; nothing read is ever written out as it stands.
namespace redten::room {

// A table as the room's page lists it.
struct LiveTable {
    int number = 0;
    bool playing = false;
    std::vector<std::string> players;  // seat order; empty for a free seat
    std::vector<bool> computers;       // seat order
    std::string level;                 // the computer players': "basic" or "strong"
    std::vector<std::string> watchers;
};

std::string HtmlEscaped(std::string_view text);
// Percent-encoded for a path segment (UTF-8 bytes as %XX).
std::string PathEncoded(std::string_view text);

// "/health", format version kHealthJsonVersion (docs/protocol.md); its
// status is 503 while a game has waited longer than kStaleWriteSeconds.
std::string HealthJson(const RecordsHealth& records);
int HealthStatus(const RecordsHealth& records);
// "/tables.json", format version kTablesJsonVersion (docs/protocol.md): the
// tables now open, for lobbies to show.
std::string TablesJson(const std::vector<LiveTable>& tables, std::size_t people);
constexpr int kTablesJsonVersion = 1;
// "/standings.json" and "/people/NAME.json", format version
// kPeopleJsonVersion (docs/protocol.md): the totals by points and a
// person's totals with their games, for lobbies to show.
std::string StandingsJson(const std::vector<Standing>& standings, int page);
std::string PersonJson(const PersonGames& person, int page);
constexpr int kPeopleJsonVersion = 1;
constexpr int kHealthJsonVersion = 1;
constexpr std::int64_t kStaleWriteSeconds = 60;

// "/": the live tables and the standings (page counts from 0), and what is
// wrong with the records; standings null when they could not be read.
std::string RoomPage(const std::vector<LiveTable>& tables, const std::vector<Standing>* standings,
                     int page, const RecordsHealth& records);
// "/people/NAME".
std::string PersonPage(const PersonGames& person, int page);
// "/games/ID"; replay is the command that replays it.
std::string GamePage(const StoredGame& stored);
// "/games/ID.json", format version kGameJsonVersion (docs/records.md).
std::string GameJson(const StoredGame& stored);
constexpr int kGameJsonVersion = 2;

// The page the tables show beside the user list: the people in the room,
// the top ten, where the room's pages are, and the game replayed (0: none).
std::string AdvPage(std::size_t people, const std::vector<Standing>& topTen,
                    std::string_view roomAddress, std::int64_t replayed);

// A page that says why there is nothing to show.
std::string MessagePage(std::string_view title, std::string_view text);

// The review of a stored game as people read it, in lines: each player's
// accuracy, then every marked decision.
std::string ReviewReport(const StoredGame& stored, const engine::GameReview& review);

// A card as people write it: ♥10, ♠A…
std::string CardName(std::uint8_t card);

}  // namespace redten::room
