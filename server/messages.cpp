#include "messages.h"

#include <algorithm>

#include "net/wire/message.h"
#include "net/wire/text_fields.h"
#include "net/wire/user_list_text.h"

namespace redten::room {
namespace {

// Header and text; only the header when the text is empty.
Bytes WithText(Bytes header, std::string_view text) {
    Bytes out;
    if (!MakeSendBytes(text, out, header.size(), header)) {
        return header;
    }
    return out;
}

void AppendList(Bytes& out, const CardList& cards) {
    const std::size_t n = std::min<std::size_t>(cards.size(), kMaxHandCards);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), cards.begin(), cards.begin() + static_cast<std::ptrdiff_t>(n));
}

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
    return WithText({130, 3}, std::string(myName) + kFieldSeparator + std::string(viewName));
}

Bytes MakeFullUserList(const std::vector<std::string>& records) {
    return WithText({130, 2}, JoinUserListText(records));
}

Bytes MakeUserArrives(const std::string& record) { return WithText({130, 4}, record); }
Bytes MakeSpectatorArrives(const std::string& record) { return WithText({130, 0}, record); }
Bytes MakeUserLeaves(std::string_view name) { return WithText({110, 0}, name); }
Bytes MakeUserState(std::uint8_t sub, std::string_view name) { return WithText({108, sub}, name); }
Bytes MakeRoomNotice(std::string_view text) { return WithText({105, 0, 0}, text); }

Bytes MakeRaisedHand(std::string_view name, std::string_view settings) {
    std::string text(name);
    if (!settings.empty()) {
        text += kFieldSeparator;
        text += settings;
    }
    return WithText({112, 0}, text);
}

Bytes MakeSettingsState(const SettingsState& s) {
    std::vector<std::string> fields{std::to_string(s.tableNo), s.owner, "0",
                                    s.recipientIsOwner ? "1" : "0", "4",
                                    s.open ? "1" : "0", s.ownerDone ? "1" : "0"};
    if (s.open) {
        for (std::string& f : SplitFields(s.settings)) {
            fields.push_back(std::move(f));
        }
    }
    return WithText({111, 0}, JoinFields(fields));
}

Bytes MakeGameStart(const GameOptions& o) {
    Bytes out(15, 0);
    out[0] = 17;
    out[3] = o.autoLimit;
    out[11] = o.decks;
    out[12] = o.showBacks;
    out[13] = o.showSeconds;
    out[14] = o.playSeconds;
    return out;
}

Bytes MakeDeal(const CardList& cards) {
    Bytes out{19, 0};
    out.insert(out.end(), cards.begin(), cards.end());
    return out;
}

Bytes MakeShowingAnswer(std::uint8_t seat, std::uint8_t answer) { return {20, 0, seat, answer}; }
Bytes MakeShowingOver(std::uint8_t leader, std::uint8_t phase) { return {20, 1, leader, phase}; }

Bytes MakePlayNotice(std::uint8_t nextSeat, std::uint8_t nextPhase, std::uint8_t place,
                     std::uint8_t seat, const CardList& cards) {
    Bytes out{21, 0, nextSeat, nextPhase, place, seat};
    AppendList(out, cards);
    return out;
}

Bytes MakeGameNotice(std::string_view text) { return WithText({22}, text); }

Bytes MakeGameOver(const std::array<std::int32_t, 4>& scores,
                   const std::array<CardList, 4>& remaining) {
    Bytes out{23, 1};
    for (const std::int32_t score : scores) {
        const auto u = static_cast<std::uint32_t>(score);
        out.insert(out.end(), {static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16),
                               static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u)});
    }
    for (const CardList& cards : remaining) {
        AppendList(out, cards);
    }
    return out;
}

Bytes MakeHand(const CardList& cards) {
    Bytes out{2, 0};
    AppendList(out, cards);
    return out;
}

Bytes MakePlayerLeaves(std::uint8_t seat, std::string_view reason) {
    return WithText({5, 0, seat}, reason);
}

Bytes MakeWatchVisibility(bool visible) { return {113, 0, static_cast<std::uint8_t>(visible ? 1 : 0)}; }
Bytes MakeItemText(std::uint8_t sub, std::string_view text) { return WithText({133, sub}, text); }

Bytes MakeChatRelay(const std::array<std::string, 10>& fields) {
    return WithText({1}, JoinFields(std::vector<std::string>(fields.begin(), fields.end())));
}

Bytes MakeSnapshot(const Snapshot& s) {
    if (!s.running) {
        Bytes out{109, 0, 0, 0};
        for (bool r : s.ready) {
            out.push_back(r ? 1 : 0);
        }
        out.push_back(s.watchVisible ? 1 : 0);
        return out;
    }
    Bytes out{109, 0, 1, 0, static_cast<std::uint8_t>(s.watchVisible ? 1 : 0), s.options.decks,
              s.options.showBacks, s.options.showSeconds, s.options.playSeconds, s.curSeat, s.phase,
              s.toBeat.bteSeat, s.toBeat.bteMainPai, s.toBeat.bteType, s.toBeat.bteCount};
    for (const auto* block : {&s.liang, &s.liangTimes, &s.mingCi, &s.cardCount}) {
        out.insert(out.end(), block->begin(), block->end());
    }
    for (const CardList& cards : s.outPai) {
        AppendList(out, cards);
    }
    AppendList(out, s.hand);
    return out;
}

CardList VisibleTo(const CardList& hand, bool visible) {
    return visible ? hand : CardList(hand.size(), 255);
}

}  // namespace redten::room
