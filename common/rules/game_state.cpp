#include "rules/game_state.h"

#include <algorithm>

namespace redten {

void InitGameData(GameState& state) { state = GameState{}; }

void ResetGameData(GameState& state, bool resetReady) {
    state.bteAutoOutTimes = 0;
    state.bteMaxAutoOutTimes = 5;
    for (UserGameInfo& seat : state.udtUser) {
        if (resetReady) {
            seat.blnReady = 0;
        }
        seat.bteLiang = 4;
        seat.bteLiangTimes = 0;
        seat.bteCardCount = 0;
        seat.bteOutPai.clear();
        seat.bteLastOutPai.clear();
        seat.bteMingCi = 0;
        seat.bteOpenPai.clear();
    }
    state.blnNoDeal = -1;
    state.bteDeckCount = 1;
    state.blnShowOtherBack = 0;
    state.bteOutTime = 30;
    state.bteLiangTime = 15;
    state.bteMyPai.clear();
    state.bteGameState = kPhaseNone;
    state.bteLiangMode = 0;
    state.bteSelected.clear();
    state.blnWaitLiang = 0;
    state.blnFollowLiang = 0;
}

std::uint8_t GetMyHong10(const GameState& state) {
    const auto a = std::count(state.bteMyPai.begin(), state.bteMyPai.end(), kRedTen59);
    const auto b = std::count(state.bteMyPai.begin(), state.bteMyPai.end(), kRedTen72);
    if (a == 1 && b == 0) {
        return 1;
    }
    if (a == 0 && b == 1) {
        return 2;
    }
    if (a == 1 && b == 1) {
        return 3;
    }
    return 0;
}

}  // namespace redten
