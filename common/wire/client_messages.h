#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "rules/cards.h"
#include "wire/bytes.h"

namespace redten {

// The messages a table sends to its room (the greeting is in handshake.h),
// as short calls; each is the matching struct of messages.h encoded. Seats
// are the sender's own; cards are card codes.

Bytes MakeHandRequest(std::uint8_t seat);                      // 2, 0, seat
Bytes MakeReadyInGame(std::uint8_t seat);                      // 18, seat
Bytes MakeStartAck(std::uint8_t seat);                         // 19, seat
Bytes MakeShowingAnswer(std::uint8_t seat, std::uint8_t answer);  // 20, 0, seat, answer
// 21, 0, 0, 0, 0, seat, n, cards; a pass is the single kPassCard.
Bytes MakePlay(std::uint8_t seat, std::span<const std::uint8_t> cards);
Bytes MakePass(std::uint8_t seat);
Bytes MakeEnterGame();                                          // 130, 1
// 110, 0, name: leaves the table.
Bytes MakeLeaveTable(std::string_view myName);
// 112, 0, name`settings: the owner's confirmed table settings.
Bytes MakeConfirmSettings(std::string_view myName, std::string_view settings);
// 112, 1, name: agrees to the settings, or asks to join the next game.
Bytes MakeRaiseHand(std::string_view myName);
// 113, 1, name`value: whether spectators may see my cards now.
Bytes MakeWatchSetting(std::string_view myName, bool allow);
// 1, the ten chat fields joined by back-quotes.
Bytes MakeChatLine(const std::array<std::string, 10>& fields);

}  // namespace redten
