#include "wire/room_encoders.h"

#include <algorithm>

#include "wire/text_fields.h"

namespace redten::room {
namespace {

std::string Percent(std::int32_t part, std::int32_t whole) {
    return whole > 0 ? std::to_string(static_cast<long long>(part) * 100 / whole) : "0";
}

}  // namespace

std::string UserRecordText(const PersonRecord& p, const std::string& watching, int chair,
                           bool ready, bool offline) {
    return JoinFields({p.name, std::to_string(p.userId), std::to_string(p.points),
                       std::to_string(p.points), watching, std::to_string(p.games),
                       Percent(p.wins, p.games), Percent(p.escapes, p.games),
                       std::to_string(p.wins), std::to_string(p.losses), std::to_string(p.draws),
                       "0", std::to_string(p.portrait), std::to_string(chair < 0 ? 0 : chair),
                       ready ? "1" : "0", offline ? "1" : "0"});
}

Bytes MakeIdentity(std::string_view myName, std::string_view viewName) {
    return wire::Identity{std::string(myName), std::string(viewName)}.Encode();
}
Bytes MakeFullUserList(const std::vector<std::string>& records) {
    return wire::FullUserList{records}.Encode();
}
Bytes MakeUserArrives(const std::string& record) { return wire::UserArrives{record}.Encode(); }
Bytes MakeSpectatorArrives(const std::string& record) {
    return wire::SpectatorArrives{record}.Encode();
}
Bytes MakeUserLeaves(std::string_view name) { return wire::UserLeaves{std::string(name)}.Encode(); }
Bytes MakeUserState(std::uint8_t sub, std::string_view name) {
    return wire::UserState{sub, std::string(name)}.Encode();
}
Bytes MakeRoomNotice(std::string_view text) { return wire::RoomNotice{std::string(text)}.Encode(); }

Bytes MakeRaisedHand(std::string_view name, std::string_view settings) {
    wire::RaisedHand hand{0, std::string(name), std::nullopt};
    if (!settings.empty()) {
        hand.settings = std::string(settings);
    }
    return hand.Encode();
}

Bytes MakeSettingsState(const SettingsState& state) { return state.Encode(); }
Bytes MakeGameStart(const GameOptions& options) { return wire::GameStart{options}.Encode(); }
Bytes MakeReady(std::uint8_t seat) { return wire::Ready{seat}.Encode(); }
Bytes MakeDeal(const CardList& cards) { return wire::Deal{cards}.Encode(); }
Bytes MakeShowingAnswer(std::uint8_t seat, std::uint8_t answer) {
    return wire::ShowingAnswer{seat, answer}.Encode();
}
Bytes MakeShowingOver(std::uint8_t leader, std::uint8_t phase) {
    return wire::ShowingOver{leader, phase}.Encode();
}
Bytes MakePlayNotice(std::uint8_t nextSeat, std::uint8_t nextPhase, std::uint8_t place,
                     std::uint8_t seat, const CardList& cards) {
    // The room's own plays come from hands, so they are never longer than one.
    const CardList cut(cards.begin(),
                       cards.begin() + static_cast<std::ptrdiff_t>(std::min(cards.size(), kMaxHandCards)));
    return wire::Play{nextSeat, nextPhase, place, seat, cut}.Encode();
}
Bytes MakeGameNotice(std::string_view text) { return wire::GameNotice{std::string(text)}.Encode(); }

Bytes MakeGameOver(const std::array<std::int32_t, 4>& scores,
                   const std::array<CardList, 4>& remaining) {
    return wire::GameOver{false, true, scores, {remaining.begin(), remaining.end()}}.Encode();
}

Bytes MakeHand(const CardList& cards) { return wire::Hand{cards}.Encode(); }
Bytes MakePlayerLeaves(std::uint8_t seat, std::string_view reason) {
    return wire::PlayerLeaves{seat, std::string(reason)}.Encode();
}
Bytes MakeWatchVisibility(bool visible) { return wire::WatchVisibility{visible}.Encode(); }
Bytes MakeItemText(std::uint8_t sub, std::string_view text) {
    return wire::ItemText{sub, std::string(text)}.Encode();
}
Bytes MakeChatRelay(const std::array<std::string, 10>& fields) {
    return wire::ChatLine{fields}.Encode();
}
Bytes MakeSnapshot(const Snapshot& snapshot) { return snapshot.Encode(); }

CardList VisibleTo(const CardList& hand, bool visible) {
    return visible ? hand : CardList(hand.size(), kHiddenCard);
}

}  // namespace redten::room
