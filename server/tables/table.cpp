#include "server/tables/table.h"

#include <algorithm>
#include <ctime>

#include "engine/bot.h"
#include "server/tables/items.h"
#include "wire/message.h"
#include "wire/text_fields.h"

namespace redten::room {
namespace {

constexpr std::size_t kMaxChatText = 400;   // bytes of UTF-8
constexpr std::size_t kMaxChatField = 32;   // the other fields: numbers and short words
// While a seat is dropped the others are told this often how long it has left.
constexpr int kDropNoticeEveryMs = 15000;

// Cuts UTF-8 text to at most limit bytes, never inside a character.
void CutText(std::string& text, std::size_t limit) {
    if (text.size() <= limit) {
        return;
    }
    std::size_t cut = limit;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    text.resize(cut);
}

std::string Now() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%H:%M:%S", &tm);
    return buffer;
}

}  // namespace

const char* EscapeReasonText(EscapeReason reason) {
    return reason == EscapeReason::Dropped ? "掉线后没有回来" : "中途离开了游戏";
}

Table::Table(int number, TableOptions options, TableHost& host)
    : number_(number),
      options_(options),
      host_(host),
      stake_(options.stake),
      penalty_(options.penalty),
      basic_(engine::MakePlayer("basic")),
      thinkSeeds_(0x7AB1E000u + static_cast<std::uint64_t>(number)) {
    if (options_.botLevel != BotLevel::Basic) {
        strong_ = engine::MakePlayer(LevelWord(options_.botLevel));
    }
}

const char* LevelWord(BotLevel level) {
    switch (level) {
        case BotLevel::Strong:
            return "strong";
        case BotLevel::Expert:
            return "expert";
        case BotLevel::Basic:
            break;
    }
    return "basic";
}

std::optional<BotLevel> LevelNamed(std::string_view word) {
    for (BotLevel level : {BotLevel::Basic, BotLevel::Strong, BotLevel::Expert}) {
        if (word == LevelWord(level)) {
            return level;
        }
    }
    return std::nullopt;
}

Table::~Table() {
    CancelTimer(turnTimer_);
    CancelTimer(clockTimer_);
    CancelTimer(settingsTimer_);
    CancelTimer(showingTimer_);
    CancelTimer(followTimer_);
    for (TimerId& t : dropTimers_) {
        CancelTimer(t);
    }
    for (TimerId& t : noticeTimers_) {
        CancelTimer(t);
    }
    for (TimerId& t : botTimers_) {
        CancelTimer(t);
    }
    ForgetThoughts();
}

// --- who is here ----------------------------------------------------------

bool Table::HasFreeSeat() const {
    return std::any_of(seats_.begin(), seats_.end(), [](const auto& m) { return !m; });
}

int Table::FreeSeats() const {
    return static_cast<int>(
        std::count_if(seats_.begin(), seats_.end(), [](const auto& m) { return !m; }));
}

bool Table::HasHumans() const {
    return std::any_of(seats_.begin(), seats_.end(), [](const auto& m) { return m && !m->bot; }) ||
           !spectators_.empty();
}

bool Table::HasPerson(const std::string& name) const {
    return SeatOfName(name).has_value() ||
           std::any_of(spectators_.begin(), spectators_.end(),
                       [&](const Member& m) { return m.person.name == name; });
}

bool Table::HasDroppedPlayer(const std::string& name) const {
    const auto seat = SeatOfName(name);
    return seat && seats_[*seat]->offline;
}

std::string Table::SeatName(std::uint8_t seat) const {
    return seat < 4 && seats_[seat] ? seats_[seat]->person.name : std::string();
}

bool Table::SeatIsComputer(std::uint8_t seat) const { return seat < 4 && seats_[seat] && seats_[seat]->bot; }

std::vector<std::string> Table::SpectatorNames() const {
    std::vector<std::string> names;
    for (const Member& m : spectators_) {
        names.push_back(m.person.name);
    }
    return names;
}

Table::Member* Table::FindMember(PersonId id) {
    for (auto& m : seats_) {
        if (m && m->id == id) {
            return &*m;
        }
    }
    for (Member& m : spectators_) {
        if (m.id == id) {
            return &m;
        }
    }
    return nullptr;
}

std::optional<std::uint8_t> Table::SeatOf(PersonId id) const {
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (seats_[s] && seats_[s]->id == id) {
            return s;
        }
    }
    return std::nullopt;
}

std::optional<std::uint8_t> Table::SeatOfName(const std::string& name) const {
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (seats_[s] && seats_[s]->person.name == name) {
            return s;
        }
    }
    return std::nullopt;
}

bool Table::IsOwner(std::uint8_t seat) const {
    return seats_[seat] && seats_[seat]->person.name == owner_;
}

std::string Table::SettingsText() const {
    return JoinFields({std::to_string(stake_), std::to_string(options_.stakeMax),
                       std::to_string(options_.stakeMin), std::to_string(penalty_),
                       std::to_string(options_.penaltyMax), std::to_string(options_.penaltyMin)});
}

std::string Table::RecordOf(const Member& m, int chair) const {
    return UserRecordText(m.person, m.watching, chair, m.ready && !game_, m.offline);
}

std::vector<std::string> Table::UserRecords() const {
    std::vector<std::string> records;
    for (int s = 0; s < 4; ++s) {
        if (seats_[s]) {
            records.push_back(RecordOf(*seats_[s], s));
        }
    }
    for (const Member& m : spectators_) {
        records.push_back(RecordOf(m, 0));
    }
    return records;
}

// --- sending ----------------------------------------------------------------

void Table::SendTo(const Member& m, const Bytes& message) {
    if (!m.bot && !m.offline) {
        host_.Send(m.id, message);
    }
}

void Table::Broadcast(const Bytes& message, PersonId except) {
    for (const auto& m : seats_) {
        if (m && m->id != except) {
            SendTo(*m, message);
        }
    }
    for (const Member& m : spectators_) {
        if (m.id != except) {
            SendTo(m, message);
        }
    }
}

void Table::Notice(PersonId id, const std::string& text) {
    if (Member* m = FindMember(id)) {
        SendTo(*m, MakeGameNotice(text));
    }
}

void Table::Log(LogLevel level, const std::string& text) {
    host_.Log(level, "table " + std::to_string(number_) + ": " + text);
}

void Table::SendWelcome(const Member& m, bool spectator) {
    SendTo(m, MakeIdentity(m.person.name, spectator ? m.watching : m.person.name));
    SendTo(m, MakeFullUserList(UserRecords()));
    SendTo(m, MakeItemText(0, ItemCatalogueText()));
    SendTo(m, MakeItemText(1, OwnedItemsText(m.person)));
    SendTo(m, MakeRoomNotice("欢迎来到红十游戏室，祝您玩得开心！"));
}

void Table::SendSettingsState(std::uint8_t seat) {
    const Member& m = *seats_[seat];
    SettingsState state;
    state.tableNo = number_;
    state.owner = owner_;
    state.recipientIsOwner = IsOwner(seat);
    state.open = !settingsDone_ || m.mustAgree;
    state.ownerDone = settingsDone_;
    state.settings = SettingsText();
    SendTo(m, MakeSettingsState(state));
}

Snapshot Table::SnapshotFor(const Member& m) const {
    Snapshot s;
    s.options = options_.game;
    const auto watchedSeat = m.watching.empty() ? SeatOf(m.id) : SeatOfName(m.watching);
    bool visible = true;
    if (!m.watching.empty() && watchedSeat) {
        visible = seats_[*watchedSeat]->allowWatch;
    }
    s.watchVisible = visible;
    const auto ownSeat = m.watching.empty() ? SeatOf(m.id) : std::nullopt;
    for (int i = 0; i < 4; ++i) {
        s.ready[i] = seats_[i] && seats_[i]->ready;
    }
    if (!game_) {
        return s;
    }
    s.running = true;
    s.curSeat = game_->CurSeat();
    s.phase = game_->Phase();
    s.toBeat = game_->ToBeat();
    for (std::uint8_t i = 0; i < 4; ++i) {
        s.liang[i] = game_->Liang(i);
        s.liangTimes[i] = game_->LiangTimes(i);
        if (i != ownSeat && s.liang[i] == 0) {
            s.liangTimes[i] = std::min<std::uint8_t>(s.liangTimes[i], 1);  // a quiet follow stays quiet
        }
        s.mingCi[i] = game_->MingCi(i);
        s.cardCount[i] = static_cast<std::uint8_t>(game_->Hand(i).size());
        s.outPai[i] = game_->OutPai(i);
    }
    if (watchedSeat) {
        s.hand = VisibleTo(game_->Hand(*watchedSeat), visible);
    }
    return s;
}

void Table::SendHandToSpectators(std::uint8_t seat) {
    if (!game_ || !seats_[seat]) {
        return;
    }
    for (const Member& m : spectators_) {
        if (m.watching == seats_[seat]->person.name) {
            SendTo(m, MakeHand(VisibleTo(game_->Hand(seat), seats_[seat]->allowWatch)));
        }
    }
}

// --- people -------------------------------------------------------------------

bool Table::SeatPlayer(PersonId id, const PersonRecord& person, bool bot, bool allowWatch, int asked) {
    if (HasPerson(person.name) || game_ || asked > 3 || (asked >= 0 && seats_[asked])) {
        return false;
    }
    const auto free = asked >= 0 ? seats_.begin() + asked
                                 : std::find_if(seats_.begin(), seats_.end(), [](const auto& m) { return !m; });
    if (free == seats_.end()) {
        return false;
    }
    const auto seat = static_cast<std::uint8_t>(free - seats_.begin());
    Member m;
    m.id = id;
    m.person = person;
    m.bot = bot;
    m.allowWatch = allowWatch;
    m.mustAgree = settingsDone_;
    *free = m;
    if (owner_.empty()) {
        owner_ = person.name;
        ArmSettingsDeadline();
    }
    Log(LogLevel::Info, person.name + (bot ? " (computer)" : "") + " sits at seat " +
                            std::to_string(seat) + (IsOwner(seat) ? " as the owner" : ""));
    SendWelcome(*seats_[seat], false);
    Broadcast(MakeUserArrives(RecordOf(*seats_[seat], seat)), id);
    SendSettingsState(seat);
    PokeBots();
    return true;
}

bool Table::AddSpectator(PersonId id, const PersonRecord& person, const std::string& watched,
                         bool allowWatch) {
    if (HasPerson(person.name) || !SeatOfName(watched)) {
        return false;
    }
    Member m;
    m.id = id;
    m.person = person;
    m.allowWatch = allowWatch;
    m.watching = watched;
    spectators_.push_back(m);
    Log(LogLevel::Info, person.name + " watches " + watched);
    const Member& added = spectators_.back();
    SendWelcome(added, true);
    Broadcast(MakeSpectatorArrives(RecordOf(added, 0)), id);
    SendTo(added, MakeSnapshot(SnapshotFor(added)));
    return true;
}

bool Table::Rejoin(PersonId id, const std::string& name, bool allowWatch) {
    const auto seat = SeatOfName(name);
    if (!seat || !seats_[*seat]->offline) {
        return false;
    }
    Member& m = *seats_[*seat];
    m.id = id;
    m.offline = false;
    m.allowWatch = allowWatch;
    CancelTimer(dropTimers_[*seat]);
    CancelTimer(noticeTimers_[*seat]);
    CancelTimer(botTimers_[*seat]);  // the room no longer plays for the seat
    Log(LogLevel::Info, name + " is back at seat " + std::to_string(*seat));
    Broadcast(MakeUserState(0, name), id);
    SendWelcome(m, false);
    if (game_) {
        SendTo(m, MakeSnapshot(SnapshotFor(m)));
        if (game_->CurSeat() == *seat) {
            ArmTurnDeadline();
        }
    } else {
        SendSettingsState(*seat);
    }
    PokeBots();
    return true;
}

void Table::LinkLost(PersonId id) {
    if (const auto seat = SeatOf(id)) {
        Member& m = *seats_[*seat];
        if (m.offline) {
            return;
        }
        if (!game_) {
            RemoveSeat(*seat);
            return;
        }
        m.offline = true;
        m.dropOrder = ++drops_;
        Log(LogLevel::Info, m.person.name + " dropped; the seat waits for a return");
        Broadcast(MakeUserState(3, m.person.name));
        const std::uint8_t s = *seat;
        if (game_->CurSeat() == s) {
            CancelTimer(turnTimer_);  // the room plays the seat's turns from now on
        }
        dropTimers_[s] = Schedule(options_.dropGraceMs, [this, s] {
            dropTimers_[s] = 0;
            if (game_) {
                Escape(s, EscapeReason::Dropped);
            } else if (seats_[s] && seats_[s]->offline) {
                RemoveSeat(s);
            }
        });
        DropNotice(s, options_.dropGraceMs);
        PokeBots();
        return;
    }
    RemoveSpectator(id);
}

void Table::Leave(PersonId id) {
    if (const auto seat = SeatOf(id)) {
        if (game_) {
            Escape(*seat, EscapeReason::Left);
        } else {
            RemoveSeat(*seat);
        }
    } else {
        RemoveSpectator(id);
    }
    host_.Disconnect(id);
}

void Table::Shutdown() {
    if (!game_) {
        return;
    }
    std::optional<std::uint8_t> first;
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (seats_[s] && seats_[s]->offline &&
            (!first || seats_[s]->dropOrder < seats_[*first]->dropOrder)) {
            first = s;
        }
    }
    if (first) {
        Escape(*first, EscapeReason::Dropped);
    } else {
        Abandon();
    }
}

void Table::DropNotice(std::uint8_t seat, int leftMs) {
    const std::string seconds = std::to_string((std::max(leftMs, 0) + 999) / 1000);
    const bool first = leftMs == options_.dropGraceMs;
    Broadcast(MakeRoomNotice(seats_[seat]->person.name + " 掉线了，还有 " + seconds +
                             " 秒可以回来" + (first ? "，期间由系统代为出牌。" : "。")));
    if (leftMs <= kDropNoticeEveryMs) {
        return;
    }
    noticeTimers_[seat] = Schedule(kDropNoticeEveryMs, [this, seat, leftMs] {
        noticeTimers_[seat] = 0;
        if (game_ && seats_[seat] && seats_[seat]->offline) {
            DropNotice(seat, leftMs - kDropNoticeEveryMs);
        }
    });
}

void Table::RemoveSeat(std::uint8_t seat) {
    if (!seats_[seat]) {
        return;
    }
    const Member gone = *seats_[seat];
    seats_[seat].reset();
    CancelTimer(dropTimers_[seat]);
    CancelTimer(noticeTimers_[seat]);
    CancelTimer(botTimers_[seat]);
    ForgetThought(seat);
    Log(LogLevel::Info, gone.person.name + " leaves seat " + std::to_string(seat));
    Broadcast(MakeUserLeaves(gone.person.name));
    // Whoever watched this player has nothing left to watch.
    for (auto it = spectators_.begin(); it != spectators_.end();) {
        if (it->watching == gone.person.name) {
            const PersonId id = it->id;
            const std::string name = it->person.name;
            SendTo(*it, MakeGameNotice("你旁观的玩家已经离开了本桌。"));
            it = spectators_.erase(it);
            Broadcast(MakeUserState(4, name));
            host_.Disconnect(id);
        } else {
            ++it;
        }
    }
    if (gone.person.name == owner_) {
        ChooseOwner();
    }
    PokeBots();
}

void Table::RemoveSpectator(PersonId id) {
    const auto it = std::find_if(spectators_.begin(), spectators_.end(),
                                 [&](const Member& m) { return m.id == id; });
    if (it == spectators_.end()) {
        return;
    }
    const std::string name = it->person.name;
    spectators_.erase(it);
    Log(LogLevel::Info, name + " stops watching");
    Broadcast(MakeUserState(4, name));
}

void Table::ChooseOwner() {
    owner_.clear();
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (seats_[s]) {
            owner_ = seats_[s]->person.name;
            Log(LogLevel::Info, owner_ + " now owns the table");
            if (!settingsDone_) {
                SendSettingsState(s);
                ArmSettingsDeadline();
            }
            return;
        }
    }
}

// --- messages from remote tables -------------------------------------------------

void Table::OnMessage(PersonId id, const Bytes& message) {
    Member* m = FindMember(id);
    if (!m || message.empty()) {
        return;
    }
    const auto seat = SeatOf(id);
    const auto own = [&](std::uint8_t s) { return seat && *seat == s; };
    const std::string& name = m->person.name;
    switch (static_cast<MessageCode>(message[0])) {
        case MessageCode::Chat:
            if (const auto line = wire::ChatLine::Decode(message)) {
                Chat(*m, *line);
            }
            return;
        case MessageCode::Hand:
            if (const auto r = wire::HandRequest::Decode(message); r && own(r->seat) && game_) {
                SendTo(*m, MakeHand(game_->Hand(*seat)));
            }
            return;
        case MessageCode::Ready:
            if (const auto r = wire::Ready::Decode(message); r && own(r->seat)) {
                AgreeOrReady(*seat, true);
            }
            return;
        case MessageCode::Deal:
            return;  // a start acknowledged: nothing to do
        case MessageCode::Showing:
            if (const auto a = wire::ShowingAnswer::Decode(message); a && own(a->seat)) {
                AnswerShowing(*seat, a->answer);
            }
            return;
        case MessageCode::Play:
            if (auto p = wire::Play::Decode(message); p && !p->cards.empty() && own(p->seat)) {
                Play(*seat, std::move(p->cards));
            }
            return;
        case MessageCode::UserLeaves:
            if (const auto l = wire::LeaveTable::Decode(message); l && l->name == name) {
                Leave(id);
            }
            return;
        case MessageCode::RaisedHand:
            if (!seat) {
                return;
            }
            if (const auto c = wire::ConfirmSettings::Decode(message); c && c->name == name) {
                ConfirmSettings(*seat, c->settings);
            } else if (const auto r = wire::RaiseHand::Decode(message); r && r->name == name) {
                AgreeOrReady(*seat, false);
            }
            return;
        case MessageCode::Watch:
            if (const auto w = wire::WatchSetting::Decode(message)) {
                SetWatch(*m, *w);
            }
            return;
        default:
            Log(LogLevel::Debug, "ignored message " + std::to_string(message[0]) + " from " + name);
            return;
    }
}

void Table::Chat(Member& from, const wire::ChatLine& message) {
    std::array<std::string, 10> line = message.fields;
    // Fields 0 to 4 and 7 are rewritten below; the rest go out as sent.
    for (const std::size_t i : {5, 6, 8}) {
        CutText(line[i], kMaxChatField);
    }
    CutText(line[9], kMaxChatText);
    std::string to = line[1].empty() ? kEverybody : line[1];
    const bool everybody = to == kEverybody || !HasPerson(to);
    if (everybody) {
        to = kEverybody;
    }
    line[0] = line[2] = from.person.name;
    line[1] = line[3] = to;
    line[4] = Now();
    line[7] = everybody ? "0" : "1";
    const Bytes relay = MakeChatRelay(line);
    if (everybody) {
        Broadcast(relay);
        return;
    }
    for (auto& m : seats_) {
        if (m && (m->person.name == to || m->id == from.id)) {
            SendTo(*m, relay);
        }
    }
    for (const Member& m : spectators_) {
        if (m.person.name == to || m.id == from.id) {
            SendTo(m, relay);
        }
    }
}

void Table::SetWatch(Member& from, const wire::WatchSetting& message) {
    const auto seat = SeatOf(from.id);
    if (message.name != from.person.name || !seat) {
        return;
    }
    from.allowWatch = message.allow;
    for (const Member& m : spectators_) {
        if (m.watching == from.person.name) {
            SendTo(m, MakeWatchVisibility(from.allowWatch));
        }
    }
    SendHandToSpectators(*seat);
}

}  // namespace redten::room
