#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "game/rules/game_state.h"
#include "net/wire/bytes.h"

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

// Room messages.
Bytes MakeIdentity(std::string_view myName, std::string_view viewName);  // 130, 3
Bytes MakeFullUserList(const std::vector<std::string>& records);         // 130, 2
Bytes MakeUserArrives(const std::string& record);                         // 130, 4
Bytes MakeSpectatorArrives(const std::string& record);                    // 130, 0
Bytes MakeUserLeaves(std::string_view name);                              // 110, 0
Bytes MakeUserState(std::uint8_t sub, std::string_view name);            // 108, sub
Bytes MakeRoomNotice(std::string_view text);                              // 105
Bytes MakeRaisedHand(std::string_view name, std::string_view settings);  // 112

// 111: where the table's settings stand, for one recipient.
struct SettingsState {
    int tableNo = 0;
    std::string owner;
    bool recipientIsOwner = false;
    bool open = false;       // a negotiation is under way
    bool ownerDone = false;  // the owner has confirmed; others are asked to agree
    std::string settings;    // six fields
};
Bytes MakeSettingsState(const SettingsState& state);

// Game messages.
struct GameOptions {
    std::uint8_t autoLimit = 5;
    std::uint8_t decks = 1;
    std::uint8_t showBacks = 0;
    std::uint8_t showSeconds = 15;
    std::uint8_t playSeconds = 30;
};
Bytes MakeGameStart(const GameOptions& options);                         // 17
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

// 109, the table as it stands, for one recipient whose shown hand is hand.
struct Snapshot {
    bool running = false;
    std::array<bool, 4> ready{};
    bool watchVisible = true;
    GameOptions options;
    std::uint8_t curSeat = 0;
    std::uint8_t phase = 0;
    MaxOutPai toBeat;
    std::array<std::uint8_t, 4> liang{};
    std::array<std::uint8_t, 4> liangTimes{};
    std::array<std::uint8_t, 4> mingCi{};
    std::array<std::uint8_t, 4> cardCount{};
    std::array<CardList, 4> outPai;
    CardList hand;
};
Bytes MakeSnapshot(const Snapshot& snapshot);

// The cards a spectator may see of a hand: the hand itself, or as many
// backs (255) when its player does not allow it.
CardList VisibleTo(const CardList& hand, bool visible);

}  // namespace redten::room
