#include "wire/messages.h"

#include <algorithm>
#include <ostream>

#include "wire/handshake.h"
#include "wire/message.h"
#include "wire/text_fields.h"
#include "wire/user_list_text.h"

namespace redten::wire {
namespace {

bool IsAtLeast(const Bytes& m, MessageCode code, std::size_t minSize) {
    return m.size() >= std::max<std::size_t>(minSize, 1) && m[0] == CodeByte(code);
}

bool Is(const Bytes& m, MessageCode code) { return IsAtLeast(m, code, 1); }

// The code, then the kind in the second byte.
bool IsKind(const Bytes& m, MessageCode code, std::uint8_t kind, std::size_t minSize = 2) {
    return IsAtLeast(m, code, std::max<std::size_t>(minSize, 2)) && m[1] == kind;
}

// A table's text message: an empty text builds nothing, so nothing is sent.
Bytes TableText(Bytes header, std::string_view text) {
    Bytes out;
    if (!MakeSendBytes(text, out, header.size(), header)) {
        return {};
    }
    return out;
}

// The room's: an empty text still sends the header.
Bytes RoomText(Bytes header, std::string_view text) {
    Bytes out;
    if (!MakeSendBytes(text, out, header.size(), header)) {
        return header;
    }
    return out;
}

std::vector<std::string> FieldsAt(const Bytes& m, std::size_t from) {
    return SplitFields(GetTextFromBytes(m, from));
}

std::string FirstField(const Bytes& m, std::size_t from) {
    auto fields = FieldsAt(m, from);
    return fields.empty() ? std::string() : std::move(fields[0]);
}

// Cards from..from+count of a message, cut at its end and at a hand's size.
CardList CardsAt(const Bytes& m, std::size_t from, std::size_t count) {
    if (from >= m.size()) {
        return {};
    }
    count = std::min({count, m.size() - from, kMaxHandCards});
    return CardList(m.begin() + static_cast<std::ptrdiff_t>(from),
                    m.begin() + static_cast<std::ptrdiff_t>(from + count));
}

// A counted list, its count cut to a hand's size.
void AppendList(Bytes& out, const CardList& cards) {
    const std::size_t n = std::min(cards.size(), kMaxHandCards);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), cards.begin(), cards.begin() + static_cast<std::ptrdiff_t>(n));
}

void AppendLong(Bytes& out, std::int32_t value) {
    const auto u = static_cast<std::uint32_t>(value);
    out.insert(out.end(), {static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16),
                           static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u)});
}

std::string JoinFrom(const std::vector<std::string>& fields, std::size_t first) {
    return first < fields.size()
               ? JoinFields({fields.begin() + static_cast<std::ptrdiff_t>(first), fields.end()})
               : std::string();
}

}  // namespace

// --- sent by a table ---------------------------------------------------------

Bytes Greeting::Encode() const {
    return TableText({CodeByte(MessageCode::Table), 0},
                     JoinFields({version, game, allowWatch ? "1" : "0"}));
}

std::optional<Greeting> Greeting::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Table, 0) || m.size() > kMaxBytes) {
        return std::nullopt;
    }
    const auto f = FieldsAt(m, 2);
    if (f.size() != 3) {
        return std::nullopt;
    }
    return Greeting{f[0], f[1], TextValue(f[2]) > 0};
}

Bytes HandRequest::Encode() const { return {CodeByte(MessageCode::Hand), 0, seat}; }

std::optional<HandRequest> HandRequest::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::Hand) || m.size() != 3) {
        return std::nullopt;
    }
    return HandRequest{m[2]};
}

Bytes StartAck::Encode() const { return {CodeByte(MessageCode::Deal), seat}; }

std::optional<StartAck> StartAck::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::Deal) || m.size() != 2) {
        return std::nullopt;
    }
    return StartAck{m[1]};
}

Bytes EnterGame::Encode() const { return {CodeByte(MessageCode::Table), 1}; }

std::optional<EnterGame> EnterGame::Decode(const Bytes& m) {
    return IsKind(m, MessageCode::Table, 1) ? std::optional<EnterGame>(EnterGame{}) : std::nullopt;
}

Bytes LeaveTable::Encode() const { return TableText({CodeByte(MessageCode::UserLeaves), 0}, name); }

std::optional<LeaveTable> LeaveTable::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::UserLeaves, 0, 3)) {
        return std::nullopt;
    }
    return LeaveTable{FirstField(m, 2)};
}

Bytes ConfirmSettings::Encode() const {
    return TableText({CodeByte(MessageCode::RaisedHand), 0}, name + kFieldSeparator + settings);
}

std::optional<ConfirmSettings> ConfirmSettings::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::RaisedHand, 0, 3)) {
        return std::nullopt;
    }
    const auto f = FieldsAt(m, 2);
    return ConfirmSettings{f.empty() ? std::string() : f[0], JoinFrom(f, 1)};
}

Bytes RaiseHand::Encode() const { return TableText({CodeByte(MessageCode::RaisedHand), 1}, name); }

std::optional<RaiseHand> RaiseHand::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::RaisedHand, 1, 3)) {
        return std::nullopt;
    }
    return RaiseHand{FirstField(m, 2)};
}

Bytes WatchSetting::Encode() const {
    return TableText({CodeByte(MessageCode::Watch), 1},
                     name + kFieldSeparator + (allow ? "1" : "0"));
}

std::optional<WatchSetting> WatchSetting::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Watch, 1, 3)) {
        return std::nullopt;
    }
    const auto f = FieldsAt(m, 2);
    if (f.size() != 2) {
        return std::nullopt;
    }
    return WatchSetting{f[0], TextValue(f[1]) > 0};
}

// --- sent both ways ------------------------------------------------------------

Bytes ChatLine::Encode() const {
    return TableText({CodeByte(MessageCode::Chat)},
                     JoinFields(std::vector<std::string>(fields.begin(), fields.end())));
}

std::optional<ChatLine> ChatLine::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::Chat)) {
        return std::nullopt;
    }
    auto f = FieldsAt(m, 1);
    if (f.size() != 10) {
        return std::nullopt;
    }
    ChatLine line;
    std::move(f.begin(), f.end(), line.fields.begin());
    return line;
}

Bytes Ready::Encode() const { return {CodeByte(MessageCode::Ready), seat}; }

std::optional<Ready> Ready::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::Ready) || m.size() != 2 || m[1] > 3) {
        return std::nullopt;
    }
    return Ready{m[1]};
}

Bytes ShowingAnswer::Encode() const { return {CodeByte(MessageCode::Showing), 0, seat, answer}; }

std::optional<ShowingAnswer> ShowingAnswer::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Showing, 0) || m.size() != 4 || m[2] > 3) {
        return std::nullopt;
    }
    return ShowingAnswer{m[2], m[3]};
}

Bytes Play::Encode() const {
    const std::size_t n = std::min<std::size_t>(cards.size(), 255);
    Bytes out{CodeByte(MessageCode::Play), 0, nextSeat, nextPhase, place, seat,
              static_cast<std::uint8_t>(n)};
    out.insert(out.end(), cards.begin(), cards.begin() + static_cast<std::ptrdiff_t>(n));
    return out;
}

std::optional<Play> Play::Decode(const Bytes& m) {
    // The count must match the message exactly: a play is never guessed at.
    if (!IsAtLeast(m, MessageCode::Play, 7) || m.size() != std::size_t{m[6]} + 7 || m[5] > 3 ||
        m[6] > kMaxHandCards) {
        return std::nullopt;
    }
    return Play{m[2], m[3], m[4], m[5], CardList(m.begin() + 7, m.end())};
}

// --- sent by the room ------------------------------------------------------------

Bytes SpectatorArrives::Encode() const { return RoomText({CodeByte(MessageCode::Table), 0}, record); }

std::optional<SpectatorArrives> SpectatorArrives::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Table, 0)) {
        return std::nullopt;
    }
    std::string text = GetTextFromBytes(m, 2);
    if (SplitFields(text).size() != kUserRecordFields) {
        return std::nullopt;
    }
    return SpectatorArrives{std::move(text)};
}

Bytes TableReset::Encode() const { return {CodeByte(MessageCode::Table), 1}; }

std::optional<TableReset> TableReset::Decode(const Bytes& m) {
    return IsKind(m, MessageCode::Table, 1) ? std::optional<TableReset>(TableReset{}) : std::nullopt;
}

Bytes FullUserList::Encode() const {
    return RoomText({CodeByte(MessageCode::Table), 2}, JoinUserListText(records));
}

std::optional<FullUserList> FullUserList::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Table, 2)) {
        return std::nullopt;
    }
    return FullUserList{SplitUserListText(GetTextFromBytes(m, 2))};
}

Bytes Identity::Encode() const {
    return RoomText({CodeByte(MessageCode::Table), 3}, myName + kFieldSeparator + viewName);
}

std::optional<Identity> Identity::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Table, 3)) {
        return std::nullopt;
    }
    const auto f = FieldsAt(m, 2);
    if (f.size() != 2) {
        return std::nullopt;
    }
    return Identity{f[0], f[1]};
}

Bytes UserArrives::Encode() const { return RoomText({CodeByte(MessageCode::Table), 4}, record); }

std::optional<UserArrives> UserArrives::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Table, 4)) {
        return std::nullopt;
    }
    std::string text = GetTextFromBytes(m, 2);
    if (SplitFields(text).size() != kUserRecordFields) {
        return std::nullopt;
    }
    return UserArrives{std::move(text)};
}

Bytes ShowWindow::Encode() const {
    return {CodeByte(MessageCode::Table), 5, static_cast<std::uint8_t>(show ? 0 : 1)};
}

std::optional<ShowWindow> ShowWindow::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Table, 5, 3)) {
        return std::nullopt;
    }
    return ShowWindow{m[2] == 0};
}

Bytes RoomNotice::Encode() const { return RoomText({CodeByte(MessageCode::RoomNotice), 0, 0}, text); }

std::optional<RoomNotice> RoomNotice::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::RoomNotice, 2)) {
        return std::nullopt;
    }
    return RoomNotice{GetTextFromBytes(m, 3)};
}

Bytes UserState::Encode() const { return RoomText({CodeByte(MessageCode::UserState), kind}, name); }

std::optional<UserState> UserState::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::UserState, 2)) {
        return std::nullopt;
    }
    return UserState{m[1], GetTextFromBytes(m, 2)};
}

Bytes UserLeaves::Encode() const { return RoomText({CodeByte(MessageCode::UserLeaves), 0}, name); }

std::optional<UserLeaves> UserLeaves::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::UserLeaves, 0)) {
        return std::nullopt;
    }
    return UserLeaves{GetTextFromBytes(m, 2)};
}

Bytes SettingsState::Encode() const {
    std::vector<std::string> fields{std::to_string(tableNo), owner, "0",
                                    recipientIsOwner ? "1" : "0", "4",
                                    open ? "1" : "0", ownerDone ? "1" : "0"};
    if (open) {
        for (std::string& f : SplitFields(settings)) {
            fields.push_back(std::move(f));
        }
    }
    return RoomText({CodeByte(MessageCode::SettingsState), 0}, JoinFields(fields));
}

std::optional<SettingsState> SettingsState::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::SettingsState, 2)) {
        return std::nullopt;
    }
    const auto f = FieldsAt(m, 2);
    if (f.size() < 6) {
        return std::nullopt;
    }
    SettingsState s;
    s.tableNo = RoundToLong(TextValue(f[0]));
    s.owner = f[1];
    s.recipientIsOwner = TextValue(f[3]) > 0;
    s.open = TextValue(f[5]) > 0;
    s.ownerDone = f.size() >= 7 && TextValue(f[6]) != 0;
    s.settings = JoinFrom(f, 7);
    return s;
}

Bytes RaisedHand::Encode() const {
    std::string text = name;
    if (settings) {
        text += kFieldSeparator;
        text += *settings;
    }
    return RoomText({CodeByte(MessageCode::RaisedHand), kind}, text);
}

std::optional<RaisedHand> RaisedHand::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::RaisedHand, 2)) {
        return std::nullopt;
    }
    const auto f = FieldsAt(m, 2);
    if (f.empty()) {
        return std::nullopt;
    }
    RaisedHand r{m[1], f[0], std::nullopt};
    if (f.size() >= 2) {
        r.settings = JoinFrom(f, 1);
    }
    return r;
}

Bytes GameStart::Encode() const {
    Bytes out(15, 0);
    out[0] = CodeByte(MessageCode::GameStart);
    out[3] = options.autoLimit;
    out[11] = options.decks;
    out[12] = options.showBacks;
    out[13] = options.showSeconds;
    out[14] = options.playSeconds;
    return out;
}

std::optional<GameStart> GameStart::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::GameStart) || m.size() != 15) {
        return std::nullopt;
    }
    return GameStart{GameOptions{m[3], m[11], m[12], m[13], m[14]}};
}

Bytes Deal::Encode() const {
    Bytes out{CodeByte(MessageCode::Deal), 0};
    out.insert(out.end(), cards.begin(), cards.end());
    return out;
}

std::optional<Deal> Deal::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::Deal, 2) || m.size() - 2 > kMaxHandCards) {
        return std::nullopt;
    }
    return Deal{CardList(m.begin() + 2, m.end())};
}

Bytes ShowingOver::Encode() const { return {CodeByte(MessageCode::Showing), 1, leader, phase}; }

std::optional<ShowingOver> ShowingOver::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::Showing) || m.size() != 4 || m[1] == 0) {
        return std::nullopt;
    }
    return ShowingOver{m[2], m[3]};
}

Bytes GameNotice::Encode() const { return RoomText({CodeByte(MessageCode::GameNotice)}, text); }

std::optional<GameNotice> GameNotice::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::GameNotice)) {
        return std::nullopt;
    }
    return GameNotice{GetTextFromBytes(m, 1)};
}

Bytes GameOver::Encode() const {
    Bytes out{CodeByte(MessageCode::GameOver), static_cast<std::uint8_t>(scored ? 1 : 0)};
    if (brief) {
        return out;
    }
    if (scored) {
        for (const std::int32_t score : scores) {
            AppendLong(out, score);
        }
    }
    for (std::size_t s = 0; s < remaining.size() && s < 4; ++s) {
        AppendList(out, remaining[s]);
    }
    return out;
}

std::optional<GameOver> GameOver::Decode(const Bytes& m) {
    if (!Is(m, MessageCode::GameOver)) {
        return std::nullopt;
    }
    GameOver over;
    over.scored = m.size() > 1 && m[1] == 1;
    over.brief = m.size() <= 5;
    if (over.brief) {
        return over;
    }
    std::size_t i = 2;
    if (over.scored) {
        for (std::int32_t& score : over.scores) {
            GetLongFromBytes(score, m, i);  // a short message leaves the rest at 0
            i += 4;
        }
    }
    while (over.remaining.size() < 4 && i < m.size()) {
        const std::size_t k = m[i];
        over.remaining.push_back(CardsAt(m, i + 1, k));
        i += 1 + k;
    }
    return over;
}

Bytes Hand::Encode() const {
    Bytes out{CodeByte(MessageCode::Hand), 0};
    AppendList(out, cards);
    return out;
}

std::optional<Hand> Hand::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::Hand, 3)) {
        return std::nullopt;
    }
    return Hand{CardsAt(m, 3, m[2])};
}

Bytes PlayerLeaves::Encode() const {
    return RoomText({CodeByte(MessageCode::PlayerLeaves), 0, seat}, reason);
}

std::optional<PlayerLeaves> PlayerLeaves::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::PlayerLeaves, 3)) {
        return std::nullopt;
    }
    return PlayerLeaves{m[2], GetTextFromBytes(m, 3)};
}

Bytes WatchVisibility::Encode() const {
    return {CodeByte(MessageCode::Watch), 0, static_cast<std::uint8_t>(visible ? 1 : 0)};
}

std::optional<WatchVisibility> WatchVisibility::Decode(const Bytes& m) {
    if (!IsKind(m, MessageCode::Watch, 0) || m.size() != 3) {
        return std::nullopt;
    }
    return WatchVisibility{m[2] != 0};
}

Bytes ItemText::Encode() const { return RoomText({CodeByte(MessageCode::Items), kind}, text); }

std::optional<ItemText> ItemText::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::Items, 2) || m[1] == 3) {
        return std::nullopt;
    }
    return ItemText{m[1], GetTextFromBytes(m, 2)};
}

Bytes ItemUsed::Encode() const {
    Bytes out{CodeByte(MessageCode::Items), 3, from, to};
    AppendLong(out, item);
    return out;
}

std::optional<ItemUsed> ItemUsed::Decode(const Bytes& m) {
    ItemUsed used;
    if (!IsKind(m, MessageCode::Items, 3, 8) || !GetLongFromBytes(used.item, m, 4)) {
        return std::nullopt;
    }
    used.from = m[2];
    used.to = m[3];
    return used;
}

Bytes Snapshot::Encode() const {
    const std::uint8_t code = CodeByte(MessageCode::Snapshot);
    if (!running) {
        Bytes out{code, 0, 0, 0};
        for (bool r : ready) {
            out.push_back(r ? 1 : 0);
        }
        out.push_back(watchVisible ? 1 : 0);
        return out;
    }
    Bytes out{code, 0, 1, 0, static_cast<std::uint8_t>(watchVisible ? 1 : 0), options.decks,
              options.showBacks, options.showSeconds, options.playSeconds, curSeat, phase,
              toBeat.bteSeat, toBeat.bteMainPai, toBeat.bteType, toBeat.bteCount};
    for (const auto* block : {&liang, &liangTimes, &mingCi, &cardCount}) {
        out.insert(out.end(), block->begin(), block->end());
    }
    for (const CardList& cards : outPai) {
        AppendList(out, cards);
    }
    AppendList(out, hand);
    return out;
}

std::optional<Snapshot> Snapshot::Decode(const Bytes& m) {
    if (!IsAtLeast(m, MessageCode::Snapshot, 3)) {
        return std::nullopt;
    }
    Snapshot s;
    s.running = m[2] != 0;
    if (!s.running) {
        if (m.size() < 9) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < 4; ++i) {
            s.ready[i] = m[4 + i] != 0;
        }
        s.watchVisible = m[8] != 0;
        return s;
    }
    if (m.size() < 31) {
        return std::nullopt;
    }
    s.watchVisible = m[4] != 0;
    s.options.decks = m[5];
    s.options.showBacks = m[6];
    s.options.showSeconds = m[7];
    s.options.playSeconds = m[8];
    s.curSeat = m[9];
    s.phase = m[10];
    s.toBeat = MaxOutPai{m[11], m[13], m[12], m[14]};
    for (std::size_t i = 0; i < 4; ++i) {
        s.liang[i] = m[15 + i];
        s.liangTimes[i] = m[19 + i];
        s.mingCi[i] = m[23 + i];
        s.cardCount[i] = m[27 + i];
    }
    std::size_t i = 31;
    for (std::size_t list = 0; list < 5 && i < m.size(); ++list) {
        const std::size_t k = m[i];
        (list < 4 ? s.outPai[list] : s.hand) = CardsAt(m, i + 1, k);
        i += 1 + k;
    }
    return s;
}

// --- printers --------------------------------------------------------------------

namespace {

void Put(std::ostream& os, const std::string& v) { os << '"' << v << '"'; }
void Put(std::ostream& os, bool v) { os << (v ? "true" : "false"); }
void Put(std::ostream& os, std::uint8_t v) { os << static_cast<int>(v); }
void Put(std::ostream& os, std::int32_t v) { os << v; }
void Put(std::ostream& os, const MaxOutPai& v) {
    os << "{seat " << int{v.bteSeat} << " type " << int{v.bteType} << " main "
       << int{v.bteMainPai} << " count " << int{v.bteCount} << '}';
}
void Put(std::ostream& os, const GameOptions& v);
template <typename T>
void Put(std::ostream& os, const std::optional<T>& v);
template <typename T>
void Put(std::ostream& os, const std::vector<T>& v);
template <typename T, std::size_t N>
void Put(std::ostream& os, const std::array<T, N>& v);

template <typename Range>
void PutRange(std::ostream& os, const Range& range) {
    os << '[';
    const char* gap = "";
    for (const auto& item : range) {
        os << gap;
        Put(os, item);
        gap = " ";
    }
    os << ']';
}
template <typename T>
void Put(std::ostream& os, const std::optional<T>& v) {
    if (v) {
        Put(os, *v);
    } else {
        os << "none";
    }
}
template <typename T>
void Put(std::ostream& os, const std::vector<T>& v) {
    PutRange(os, v);
}
template <typename T, std::size_t N>
void Put(std::ostream& os, const std::array<T, N>& v) {
    PutRange(os, v);
}

void Fields(std::ostream&) {}
template <typename T, typename... Rest>
void Fields(std::ostream& os, const char* name, const T& value, const Rest&... rest) {
    os << ' ' << name << ' ';
    Put(os, value);
    Fields(os, rest...);
}

template <typename... Args>
void Print(std::ostream* os, const char* type, const Args&... args) {
    *os << type << '{';
    Fields(*os, args...);
    *os << " }";
}

void Put(std::ostream& os, const GameOptions& v) {
    Print(&os, "", "autoLimit", v.autoLimit, "decks", v.decks, "showBacks", v.showBacks,
          "showSeconds", v.showSeconds, "playSeconds", v.playSeconds);
}

}  // namespace

void PrintTo(const Greeting& m, std::ostream* os) {
    Print(os, "Greeting", "version", m.version, "game", m.game, "allowWatch", m.allowWatch);
}
void PrintTo(const HandRequest& m, std::ostream* os) { Print(os, "HandRequest", "seat", m.seat); }
void PrintTo(const StartAck& m, std::ostream* os) { Print(os, "StartAck", "seat", m.seat); }
void PrintTo(const EnterGame&, std::ostream* os) { Print(os, "EnterGame"); }
void PrintTo(const LeaveTable& m, std::ostream* os) { Print(os, "LeaveTable", "name", m.name); }
void PrintTo(const ConfirmSettings& m, std::ostream* os) {
    Print(os, "ConfirmSettings", "name", m.name, "settings", m.settings);
}
void PrintTo(const RaiseHand& m, std::ostream* os) { Print(os, "RaiseHand", "name", m.name); }
void PrintTo(const WatchSetting& m, std::ostream* os) {
    Print(os, "WatchSetting", "name", m.name, "allow", m.allow);
}
void PrintTo(const ChatLine& m, std::ostream* os) { Print(os, "ChatLine", "fields", m.fields); }
void PrintTo(const Ready& m, std::ostream* os) { Print(os, "Ready", "seat", m.seat); }
void PrintTo(const ShowingAnswer& m, std::ostream* os) {
    Print(os, "ShowingAnswer", "seat", m.seat, "answer", m.answer);
}
void PrintTo(const Play& m, std::ostream* os) {
    Print(os, "Play", "nextSeat", m.nextSeat, "nextPhase", m.nextPhase, "place", m.place, "seat",
          m.seat, "cards", m.cards);
}
void PrintTo(const SpectatorArrives& m, std::ostream* os) {
    Print(os, "SpectatorArrives", "record", m.record);
}
void PrintTo(const TableReset&, std::ostream* os) { Print(os, "TableReset"); }
void PrintTo(const FullUserList& m, std::ostream* os) { Print(os, "FullUserList", "records", m.records); }
void PrintTo(const Identity& m, std::ostream* os) {
    Print(os, "Identity", "myName", m.myName, "viewName", m.viewName);
}
void PrintTo(const UserArrives& m, std::ostream* os) { Print(os, "UserArrives", "record", m.record); }
void PrintTo(const ShowWindow& m, std::ostream* os) { Print(os, "ShowWindow", "show", m.show); }
void PrintTo(const RoomNotice& m, std::ostream* os) { Print(os, "RoomNotice", "text", m.text); }
void PrintTo(const UserState& m, std::ostream* os) {
    Print(os, "UserState", "kind", m.kind, "name", m.name);
}
void PrintTo(const UserLeaves& m, std::ostream* os) { Print(os, "UserLeaves", "name", m.name); }
void PrintTo(const SettingsState& m, std::ostream* os) {
    Print(os, "SettingsState", "tableNo", m.tableNo, "owner", m.owner, "recipientIsOwner",
          m.recipientIsOwner, "open", m.open, "ownerDone", m.ownerDone, "settings", m.settings);
}
void PrintTo(const RaisedHand& m, std::ostream* os) {
    Print(os, "RaisedHand", "kind", m.kind, "name", m.name, "settings", m.settings);
}
void PrintTo(const GameOptions& m, std::ostream* os) {
    *os << "GameOptions";
    Put(*os, m);
}
void PrintTo(const GameStart& m, std::ostream* os) { Print(os, "GameStart", "options", m.options); }
void PrintTo(const Deal& m, std::ostream* os) { Print(os, "Deal", "cards", m.cards); }
void PrintTo(const ShowingOver& m, std::ostream* os) {
    Print(os, "ShowingOver", "leader", m.leader, "phase", m.phase);
}
void PrintTo(const GameNotice& m, std::ostream* os) { Print(os, "GameNotice", "text", m.text); }
void PrintTo(const GameOver& m, std::ostream* os) {
    Print(os, "GameOver", "brief", m.brief, "scored", m.scored, "scores", m.scores, "remaining",
          m.remaining);
}
void PrintTo(const Hand& m, std::ostream* os) { Print(os, "Hand", "cards", m.cards); }
void PrintTo(const PlayerLeaves& m, std::ostream* os) {
    Print(os, "PlayerLeaves", "seat", m.seat, "reason", m.reason);
}
void PrintTo(const WatchVisibility& m, std::ostream* os) {
    Print(os, "WatchVisibility", "visible", m.visible);
}
void PrintTo(const ItemText& m, std::ostream* os) {
    Print(os, "ItemText", "kind", m.kind, "text", m.text);
}
void PrintTo(const ItemUsed& m, std::ostream* os) {
    Print(os, "ItemUsed", "from", m.from, "to", m.to, "item", m.item);
}
void PrintTo(const Snapshot& m, std::ostream* os) {
    Print(os, "Snapshot", "running", m.running, "ready", m.ready, "watchVisible", m.watchVisible,
          "options", m.options, "curSeat", m.curSeat, "phase", m.phase, "toBeat", m.toBeat,
          "liang", m.liang, "liangTimes", m.liangTimes, "mingCi", m.mingCi, "cardCount",
          m.cardCount, "outPai", m.outPai, "hand", m.hand);
}

}  // namespace redten::wire
