#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace redten {

// A button of the table: not there, shown, or lit under the mouse.
enum class ButtonState : std::uint8_t { Hidden = 0, Shown = 1, Lit = 2 };

// What the table's own buttons show. It lives apart from the game state,
// which the room and the rules share: neither of them has buttons.
struct TableControls {
    std::array<ButtonState, 2> bteOptionState{};  // sort, previous trick
    std::array<ButtonState, 3> bteOutState{};     // play, pass, hint
    std::array<ButtonState, 3> bteLiangState{};   // the showing buttons
    std::array<std::string, 2> strOptionTip{" 对手里的牌重新排序 ", " 查看玩家上一轮的出牌 "};
};

// A new game hides every button; the tips become the short ones.
inline void ResetTableControls(TableControls& controls) {
    controls.bteOptionState.fill(ButtonState::Hidden);
    controls.bteOutState.fill(ButtonState::Hidden);
    controls.bteLiangState.fill(ButtonState::Hidden);
    controls.strOptionTip = {"排序", "上一轮"};
}

}  // namespace redten
