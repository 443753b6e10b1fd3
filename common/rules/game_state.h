#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "rules/cards.h"

namespace redten {

// One seat at the table.
struct UserGameInfo {
    std::string strUserName;  // empty: a free seat
    std::int32_t lngIconNo = -1;
    std::int16_t blnOffline = 0;  // -1 when the player has dropped
    std::int16_t blnReady = 0;    // -1 when ready for the next game
    // Red-ten showing: 4 = not answered yet this deal, else bits 1 (59) and
    // 2 (72) for the tens shown.
    std::uint8_t bteLiang = 4;
    std::uint8_t bteLiangTimes = 0;
    std::uint8_t bteCardCount = 0;
    CardList bteOutPai;      // this trick's play, or the tens shown
    CardList bteLastOutPai;  // the previous trick's play
    std::uint8_t bteMingCi = 0;  // finishing place, 0 while playing
    CardList bteOpenPai;         // cards left at the end, shown face up
};

// The play to beat is MaxOutPai, from cards.h.

inline constexpr std::size_t kMaxHints = 108;

struct HintPai {
    std::array<std::uint8_t, kMaxHandCards> bteCards{};
    std::int32_t lngCount = 0;
};

// The suggestions for this turn; lngHintCount = 0 means none built yet.
struct HintList {
    std::array<HintPai, kMaxHints> udtHintPai{};
    std::int32_t lngHintCount = 0;
    std::int32_t lngHintIndex = 0;  // the one the next press shows, from 1
};

// Phases of bteGameState.
enum GamePhase : std::uint8_t {
    kPhaseNone = 0,
    kPhaseShowing = 1,
    kPhaseLead = 2,
    kPhaseFollow = 3,
    kPhaseBetweenGames = 100,
};

// Everything the table knows about the game. The client keeps one; the
// room and the tests make their own. Which seat is shown and whether we only
// watch live with the shared definitions.
struct GameState {
    std::array<UserGameInfo, 4> udtUser;
    CardList bteMyPai;                   // the hand shown at the bottom
    std::vector<std::uint8_t> bteSelected;  // 1 per selected card of bteMyPai
    std::uint8_t bteDeckCount = 1;
    std::uint8_t bteGameState = kPhaseNone;
    std::uint8_t bteCurSeat = 0;
    MaxOutPai udtMaxOutPai;
    std::uint8_t bteOutTime = 30;
    std::uint8_t bteLiangTime = 15;
    std::uint8_t bteAutoOutTimes = 0;
    std::uint8_t bteMaxAutoOutTimes = 5;
    std::uint8_t blnShowMyPai = 1;
    std::uint8_t blnShowOtherBack = 0;
    std::int16_t blnNoDeal = -1;
    std::uint8_t bteLiangMode = 0;
    std::int16_t blnFollowLiang = 0;
    std::int16_t blnWaitLiang = 0;
    // The suggestions and the selection stay here: the rules build the one
    // from the other, and the room's computer players use both.
    HintList hints;
};

// Every value back to its initial one. The watched player's name lives with
// the shared definitions; whoever calls this clears it too.
void InitGameData(GameState& state);

// Ready for a new game: hands, plays, places, clocks and buttons cleared;
// names, icons and the drop flags stay, the ready flags only when asked.
void ResetGameData(GameState& state, bool resetReady);

// Which red tens the shown hand holds: 1 (59), 2 (72), 3 (both) or 0 (none,
// or one of them twice, which only more decks allow).
std::uint8_t GetMyHong10(const GameState& state);

}  // namespace redten
