#include "wire/client_messages.h"

#include "wire/messages.h"

namespace redten {

Bytes MakeHandRequest(std::uint8_t seat) { return wire::HandRequest{seat}.Encode(); }
Bytes MakeReadyInGame(std::uint8_t seat) { return wire::Ready{seat}.Encode(); }
Bytes MakeStartAck(std::uint8_t seat) { return wire::StartAck{seat}.Encode(); }
Bytes MakeShowingAnswer(std::uint8_t seat, std::uint8_t answer) {
    return wire::ShowingAnswer{seat, answer}.Encode();
}

Bytes MakePlay(std::uint8_t seat, std::span<const std::uint8_t> cards) {
    wire::Play play;
    play.seat = seat;
    play.cards.assign(cards.begin(), cards.end());
    return play.Encode();
}

Bytes MakePass(std::uint8_t seat) { return MakePlay(seat, std::array{kPassCard}); }
Bytes MakeEnterGame() { return wire::EnterGame{}.Encode(); }
Bytes MakeLeaveTable(std::string_view myName) { return wire::LeaveTable{std::string(myName)}.Encode(); }

Bytes MakeConfirmSettings(std::string_view myName, std::string_view settings) {
    return wire::ConfirmSettings{std::string(myName), std::string(settings)}.Encode();
}

Bytes MakeRaiseHand(std::string_view myName) { return wire::RaiseHand{std::string(myName)}.Encode(); }

Bytes MakeWatchSetting(std::string_view myName, bool allow) {
    return wire::WatchSetting{std::string(myName), allow}.Encode();
}

Bytes MakeChatLine(const std::array<std::string, 10>& fields) { return wire::ChatLine{fields}.Encode(); }

}  // namespace redten
