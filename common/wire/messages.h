#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "rules/cards.h"
#include "wire/bytes.h"
#include "wire/codes.h"

// Every message between a table and its room as a struct of its own. Bytes
// become structs here and nowhere else: Decode takes a whole message,
// checks its code, its length and every count in it, and returns nothing
// for anything it cannot read; Encode gives the bytes back. A handler that
// gets a struct can trust its sizes; what the values mean (is this seat
// ours, is that phase one we know) is still the handler's to judge.
//
// Text is UTF-8 in the structs and code page 936 on the wire. A table never
// sends a message whose text is empty; the room sends the header alone.
namespace redten::wire {

// --- sent by a table ---------------------------------------------------------

// 130, 0, "700`KOVA`allow": the first message of every link, a dozen bytes.
// Anything much longer is not a greeting, and its text is not read.
struct Greeting {
    static constexpr std::size_t kMaxBytes = 32;
    std::string version;
    std::string game;
    bool allowWatch = false;  // may spectators see this user's cards
    Bytes Encode() const;
    static std::optional<Greeting> Decode(const Bytes& m);
    bool operator==(const Greeting&) const = default;
};

// 2, 0, seat.
struct HandRequest {
    std::uint8_t seat = 0;
    Bytes Encode() const;
    static std::optional<HandRequest> Decode(const Bytes& m);
    bool operator==(const HandRequest&) const = default;
};

// 19, seat: the start acknowledged.
struct StartAck {
    std::uint8_t seat = 0;
    Bytes Encode() const;
    static std::optional<StartAck> Decode(const Bytes& m);
    bool operator==(const StartAck&) const = default;
};

// 130, 1: the table is in the game.
struct EnterGame {
    Bytes Encode() const;
    static std::optional<EnterGame> Decode(const Bytes& m);
    bool operator==(const EnterGame&) const = default;
};

// 110, 0, name.
struct LeaveTable {
    std::string name;
    Bytes Encode() const;
    static std::optional<LeaveTable> Decode(const Bytes& m);
    bool operator==(const LeaveTable&) const = default;
};

// 112, 0, name`settings: the owner's confirmed settings (six fields).
struct ConfirmSettings {
    std::string name;
    std::string settings;
    Bytes Encode() const;
    static std::optional<ConfirmSettings> Decode(const Bytes& m);
    bool operator==(const ConfirmSettings&) const = default;
};

// 112, 1, name: agrees to the settings, or asks to join the next game.
struct RaiseHand {
    std::string name;
    Bytes Encode() const;
    static std::optional<RaiseHand> Decode(const Bytes& m);
    bool operator==(const RaiseHand&) const = default;
};

// 113, 1, name`allow: whether spectators may see the sender's cards now.
struct WatchSetting {
    std::string name;
    bool allow = false;
    Bytes Encode() const;
    static std::optional<WatchSetting> Decode(const Bytes& m);
    bool operator==(const WatchSetting&) const = default;
};

// --- sent both ways ------------------------------------------------------------

// 1, ten back-quoted fields. The room rewrites the sender's fields and
// relays the line in the same form.
struct ChatLine {
    std::array<std::string, 10> fields;
    Bytes Encode() const;
    static std::optional<ChatLine> Decode(const Bytes& m);
    bool operator==(const ChatLine&) const = default;
};

// 18, seat: ready for the next game (from a table), or that seat is (from
// the room).
struct Ready {
    std::uint8_t seat = 0;
    Bytes Encode() const;
    static std::optional<Ready> Decode(const Bytes& m);
    bool operator==(const Ready&) const = default;
};

// 20, 0, seat, answer: a showing answer, 0 or the bits of the tens shown.
struct ShowingAnswer {
    std::uint8_t seat = 0;
    std::uint8_t answer = 0;
    Bytes Encode() const;
    static std::optional<ShowingAnswer> Decode(const Bytes& m);
    bool operator==(const ShowingAnswer&) const = default;
};

// 21, 0, next seat, next phase, place, seat, n, n cards. A table sends
// zeros for what only the room knows; a pass is the single kPassCard.
struct Play {
    std::uint8_t nextSeat = 0;
    std::uint8_t nextPhase = 0;
    std::uint8_t place = 0;  // the player's finishing place, 0 while playing
    std::uint8_t seat = 0;
    CardList cards;
    bool IsPass() const { return cards.size() == 1 && cards[0] == kPassCard; }
    Bytes Encode() const;
    static std::optional<Play> Decode(const Bytes& m);
    bool operator==(const Play&) const = default;
};

// --- sent by the room ------------------------------------------------------------

// 130, 0, record: a spectator arrives (16 fields).
struct SpectatorArrives {
    std::string record;
    Bytes Encode() const;
    static std::optional<SpectatorArrives> Decode(const Bytes& m);
    bool operator==(const SpectatorArrives&) const = default;
};

// 130, 1: the table starts afresh.
struct TableReset {
    Bytes Encode() const;
    static std::optional<TableReset> Decode(const Bytes& m);
    bool operator==(const TableReset&) const = default;
};

// 130, 2: everybody at the table, 16 fields per person.
struct FullUserList {
    std::vector<std::string> records;
    Bytes Encode() const;
    static std::optional<FullUserList> Decode(const Bytes& m);
    bool operator==(const FullUserList&) const = default;
};

// 130, 3, own name`name of the seat shown.
struct Identity {
    std::string myName;
    std::string viewName;
    Bytes Encode() const;
    static std::optional<Identity> Decode(const Bytes& m);
    bool operator==(const Identity&) const = default;
};

// 130, 4, record: a player arrives (16 fields).
struct UserArrives {
    std::string record;
    Bytes Encode() const;
    static std::optional<UserArrives> Decode(const Bytes& m);
    bool operator==(const UserArrives&) const = default;
};

// 130, 5, hide: show the table window (0) or keep it hidden.
struct ShowWindow {
    bool show = true;
    Bytes Encode() const;
    static std::optional<ShowWindow> Decode(const Bytes& m);
    bool operator==(const ShowWindow&) const = default;
};

// 105, 0, 0, text: a line for the notice area.
struct RoomNotice {
    std::string text;
    Bytes Encode() const;
    static std::optional<RoomNotice> Decode(const Bytes& m);
    bool operator==(const RoomNotice&) const = default;
};

// 108, kind, name: 0 back online, 3 dropped, 4 a spectator left, 6 look
// this name up.
struct UserState {
    std::uint8_t kind = 0;
    std::string name;
    Bytes Encode() const;
    static std::optional<UserState> Decode(const Bytes& m);
    bool operator==(const UserState&) const = default;
};

// 110, 0, name: somebody left the table.
struct UserLeaves {
    std::string name;
    Bytes Encode() const;
    static std::optional<UserLeaves> Decode(const Bytes& m);
    bool operator==(const UserLeaves&) const = default;
};

// 111, 0: where the table's settings stand, for one recipient.
struct SettingsState {
    std::int32_t tableNo = 0;
    std::string owner;
    bool recipientIsOwner = false;
    bool open = false;       // a negotiation is under way
    bool ownerDone = false;  // the owner has confirmed; others are asked to agree
    std::string settings;    // six fields, sent only while open
    Bytes Encode() const;
    static std::optional<SettingsState> Decode(const Bytes& m);
    bool operator==(const SettingsState&) const = default;
};

// 112, kind, name[`settings]: a raised hand; with the owner's settings
// when they are to be agreed to. A kind above 1 clears every hand.
struct RaisedHand {
    std::uint8_t kind = 0;
    std::string name;
    std::optional<std::string> settings;
    Bytes Encode() const;
    static std::optional<RaisedHand> Decode(const Bytes& m);
    bool operator==(const RaisedHand&) const = default;
};

// The table's options for a game, as its start and its snapshot carry them.
struct GameOptions {
    std::uint8_t autoLimit = 5;  // turns played for a seat before it is taken away
    std::uint8_t decks = 1;
    std::uint8_t showBacks = 0;
    std::uint8_t showSeconds = 15;
    std::uint8_t playSeconds = 30;
    bool operator==(const GameOptions&) const = default;
};

// 17, fifteen bytes.
struct GameStart {
    GameOptions options;
    Bytes Encode() const;
    static std::optional<GameStart> Decode(const Bytes& m);
    bool operator==(const GameStart&) const = default;
};

// 19, 0, cards: the hand dealt (backs for a spectator who may not see it).
struct Deal {
    CardList cards;
    Bytes Encode() const;
    static std::optional<Deal> Decode(const Bytes& m);
    bool operator==(const Deal&) const = default;
};

// 20, 1, leader, phase: the showing is over.
struct ShowingOver {
    std::uint8_t leader = 0;
    std::uint8_t phase = 0;
    Bytes Encode() const;
    static std::optional<ShowingOver> Decode(const Bytes& m);
    bool operator==(const ShowingOver&) const = default;
};

// 22, text.
struct GameNotice {
    std::string text;
    Bytes Encode() const;
    static std::optional<GameNotice> Decode(const Bytes& m);
    bool operator==(const GameNotice&) const = default;
};

// 23, 1, four big-endian scores, then each seat's remaining cards as a
// count and the cards. A message of five bytes or fewer only says that the
// game ended. Lists cut short by the message's end read as far as they go.
struct GameOver {
    bool brief = false;
    bool scored = true;
    std::array<std::int32_t, 4> scores{};
    std::vector<CardList> remaining;  // at most four, in seat order
    Bytes Encode() const;
    static std::optional<GameOver> Decode(const Bytes& m);
    bool operator==(const GameOver&) const = default;
};

// 2, 0, n, cards: the sender's hand as the room holds it.
struct Hand {
    CardList cards;
    Bytes Encode() const;
    static std::optional<Hand> Decode(const Bytes& m);
    bool operator==(const Hand&) const = default;
};

// 5, 0, seat, reason: a player cannot go on.
struct PlayerLeaves {
    std::uint8_t seat = 0;
    std::string reason;
    Bytes Encode() const;
    static std::optional<PlayerLeaves> Decode(const Bytes& m);
    bool operator==(const PlayerLeaves&) const = default;
};

// 113, 0, visible: whether the watched player lets spectators see the hand.
struct WatchVisibility {
    bool visible = false;
    Bytes Encode() const;
    static std::optional<WatchVisibility> Decode(const Bytes& m);
    bool operator==(const WatchVisibility&) const = default;
};

// 133, kind, text: 0 the catalogue of items, 1 the items owned, 2 a notice.
struct ItemText {
    std::uint8_t kind = 0;
    std::string text;
    Bytes Encode() const;
    static std::optional<ItemText> Decode(const Bytes& m);
    bool operator==(const ItemText&) const = default;
};

// 133, 3, from, to, item: a user used an item on another.
struct ItemUsed {
    std::uint8_t from = 0;
    std::uint8_t to = 0;
    std::int32_t item = 0;
    Bytes Encode() const;
    static std::optional<ItemUsed> Decode(const Bytes& m);
    bool operator==(const ItemUsed&) const = default;
};

// 109, 0, running, ...: the table as it stands, for one recipient whose
// shown hand is hand. Between games it carries only who is ready and
// whether the watched hand is visible; lists cut short by the message's
// end read as far as they go, missing ones as empty.
struct Snapshot {
    bool running = false;
    std::array<bool, 4> ready{};
    bool watchVisible = true;
    GameOptions options;  // all but autoLimit
    std::uint8_t curSeat = 0;
    std::uint8_t phase = 0;
    MaxOutPai toBeat;
    std::array<std::uint8_t, 4> liang{};
    std::array<std::uint8_t, 4> liangTimes{};
    std::array<std::uint8_t, 4> mingCi{};
    std::array<std::uint8_t, 4> cardCount{};
    std::array<CardList, 4> outPai;
    CardList hand;
    Bytes Encode() const;
    static std::optional<Snapshot> Decode(const Bytes& m);
    bool operator==(const Snapshot&) const = default;
};

// Printers, so a failing expectation shows the message rather than bytes.
#define REDTEN_WIRE_PRINTER(T) void PrintTo(const T& message, std::ostream* os);
REDTEN_WIRE_PRINTER(Greeting)
REDTEN_WIRE_PRINTER(HandRequest)
REDTEN_WIRE_PRINTER(StartAck)
REDTEN_WIRE_PRINTER(EnterGame)
REDTEN_WIRE_PRINTER(LeaveTable)
REDTEN_WIRE_PRINTER(ConfirmSettings)
REDTEN_WIRE_PRINTER(RaiseHand)
REDTEN_WIRE_PRINTER(WatchSetting)
REDTEN_WIRE_PRINTER(ChatLine)
REDTEN_WIRE_PRINTER(Ready)
REDTEN_WIRE_PRINTER(ShowingAnswer)
REDTEN_WIRE_PRINTER(Play)
REDTEN_WIRE_PRINTER(SpectatorArrives)
REDTEN_WIRE_PRINTER(TableReset)
REDTEN_WIRE_PRINTER(FullUserList)
REDTEN_WIRE_PRINTER(Identity)
REDTEN_WIRE_PRINTER(UserArrives)
REDTEN_WIRE_PRINTER(ShowWindow)
REDTEN_WIRE_PRINTER(RoomNotice)
REDTEN_WIRE_PRINTER(UserState)
REDTEN_WIRE_PRINTER(UserLeaves)
REDTEN_WIRE_PRINTER(SettingsState)
REDTEN_WIRE_PRINTER(RaisedHand)
REDTEN_WIRE_PRINTER(GameOptions)
REDTEN_WIRE_PRINTER(GameStart)
REDTEN_WIRE_PRINTER(Deal)
REDTEN_WIRE_PRINTER(ShowingOver)
REDTEN_WIRE_PRINTER(GameNotice)
REDTEN_WIRE_PRINTER(GameOver)
REDTEN_WIRE_PRINTER(Hand)
REDTEN_WIRE_PRINTER(PlayerLeaves)
REDTEN_WIRE_PRINTER(WatchVisibility)
REDTEN_WIRE_PRINTER(ItemText)
REDTEN_WIRE_PRINTER(ItemUsed)
REDTEN_WIRE_PRINTER(Snapshot)
#undef REDTEN_WIRE_PRINTER

// Decodes m as Msg and hands it to a handler's member; false when it does
// not decode. The table's game and room handlers dispatch through it.
template <typename Msg, typename Handler>
bool Take(const Bytes& m, Handler& handler, void (Handler::*handle)(const Msg&)) {
    const std::optional<Msg> message = Msg::Decode(m);
    if (!message) {
        return false;
    }
    (handler.*handle)(*message);
    return true;
}

}  // namespace redten::wire
