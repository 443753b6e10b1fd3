#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "rules/cards.h"
#include "wire/bytes.h"
#include "wire/messages.h"

// The messages the room sends, as short calls for the room's code. Each is
// the matching struct of messages.h encoded; the structs are the format.
namespace redten::room {

// What the room knows of a person, as the tables show it.
struct PersonRecord {
    std::string name;
    std::int32_t userId = 0;
    std::int32_t points = 0;
    std::int32_t games = 0;
    std::int32_t wins = 0;
    std::int32_t losses = 0;
    std::int32_t draws = 0;
    std::int32_t escapes = 0;
    std::int32_t portrait = 0;  // picture number; its thousands are the member kind
};

// The 16-field user record: a player (chair 0..3) or a spectator (watching
// a player's name).
std::string UserRecordText(const PersonRecord& person, const std::string& watching,
                           int chair, bool ready, bool offline);

using wire::GameOptions;
using wire::SettingsState;
using wire::Snapshot;

// Room messages.
Bytes MakeIdentity(std::string_view myName, std::string_view viewName);  // 130, 3
Bytes MakeFullUserList(const std::vector<std::string>& records);         // 130, 2
Bytes MakeUserArrives(const std::string& record);                         // 130, 4
Bytes MakeSpectatorArrives(const std::string& record);                    // 130, 0
Bytes MakeUserLeaves(std::string_view name);                              // 110, 0
Bytes MakeUserState(std::uint8_t sub, std::string_view name);            // 108, sub
Bytes MakeRoomNotice(std::string_view text);                              // 105
Bytes MakeRaisedHand(std::string_view name, std::string_view settings);  // 112
Bytes MakeSettingsState(const SettingsState& state);                     // 111

// Game messages.
Bytes MakeGameStart(const GameOptions& options);                         // 17
Bytes MakeReady(std::uint8_t seat);                                      // 18
Bytes MakeDeal(const CardList& cards);                                   // 19
Bytes MakeShowingAnswer(std::uint8_t seat, std::uint8_t answer);         // 20, 0
Bytes MakeShowingOver(std::uint8_t leader, std::uint8_t phase);          // 20, 1
Bytes MakePlayNotice(std::uint8_t nextSeat, std::uint8_t nextPhase, std::uint8_t place,
                     std::uint8_t seat, const CardList& cards);            // 21
Bytes MakeGameNotice(std::string_view text);                             // 22
Bytes MakeGameOver(const std::array<std::int32_t, 4>& scores,
                   const std::array<CardList, 4>& remaining);            // 23
Bytes MakeHand(const CardList& cards);                                   // 2
Bytes MakePlayerLeaves(std::uint8_t seat, std::string_view reason);      // 5
Bytes MakeWatchVisibility(bool visible);                                 // 113
Bytes MakeItemText(std::uint8_t sub, std::string_view text);             // 133
Bytes MakeChatRelay(const std::array<std::string, 10>& fields);          // 1
Bytes MakeSnapshot(const Snapshot& snapshot);                            // 109

// The cards a spectator may see of a hand: the hand itself, or as many
// backs when its player does not allow it.
CardList VisibleTo(const CardList& hand, bool visible);

}  // namespace redten::room
