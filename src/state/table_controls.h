#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace redten {

// What the table's own buttons show. It lives apart from the game state,
// which the room and the rules share: neither of them has buttons.
struct TableControls {
    std::array<std::uint8_t, 2> bteOptionState{};  // sort, previous trick
    std::array<std::uint8_t, 3> bteOutState{};     // play, pass, hint
    std::array<std::uint8_t, 3> bteLiangState{};   // the showing buttons
    std::array<std::string, 2> strOptionTip{" 对手里的牌重新排序 ", " 查看玩家上一轮的出牌 "};
    bool blnBombPlaying = false;  // the bomb animation is running
};

// A new game hides every button; the tips become the short ones.
inline void ResetTableControls(TableControls& controls) {
    controls.bteOptionState.fill(0);
    controls.bteOutState.fill(0);
    controls.bteLiangState.fill(0);
    controls.strOptionTip = {"排序", "上一轮"};
    controls.blnBombPlaying = false;
}

}  // namespace redten
