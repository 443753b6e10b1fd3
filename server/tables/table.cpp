#include "server/tables/table.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <ctime>

#include "engine/bot.h"
#include "server/tables/items.h"
#include "wire/message.h"
#include "wire/text_fields.h"
#include "engine/shuffle.h"

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
    if (options_.botLevel == BotLevel::Strong) {
        strong_ = engine::MakePlayer("strong");
    }
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

// --- settings and readiness -----------------------------------------------------------

void Table::ConfirmSettings(std::uint8_t seat, const std::string& settings) {
    ApplySettings(seat, settings, true);
}

void Table::ApplySettings(std::uint8_t seat, const std::string& settings, bool ownerReady) {
    if (seat > 3 || !seats_[seat] || !IsOwner(seat) || settingsDone_ || game_) {
        return;
    }
    const auto fields = SplitFields(settings);
    if (fields.size() != 6) {
        Notice(seats_[seat]->id, "设置内容不完整，请重新设置。");
        SendSettingsState(seat);
        return;
    }
    const std::int32_t stake = RoundToLong(TextValue(fields[0]));
    const std::int32_t penalty = RoundToLong(TextValue(fields[3]));
    if (stake < options_.stakeMin || stake > options_.stakeMax || penalty < options_.penaltyMin ||
        penalty > options_.penaltyMax) {
        Notice(seats_[seat]->id, "本桌大小或逃跑扣分超出了允许的范围，请重新设置。");
        SendSettingsState(seat);
        return;
    }
    stake_ = stake;
    penalty_ = penalty;
    settingsDone_ = true;
    CancelTimer(settingsTimer_);
    Log(LogLevel::Info, owner_ + " sets the stake to " + std::to_string(stake_) +
                            " and the escape penalty to " + std::to_string(penalty_));
    Member& owner = *seats_[seat];
    owner.ready = ownerReady;
    owner.mustAgree = false;
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (seats_[s] && s != seat) {
            seats_[s]->mustAgree = true;
            seats_[s]->ready = false;
        }
    }
    if (ownerReady) {
        Broadcast(MakeRaisedHand(owner.person.name, SettingsText()));
    } else {
        for (std::uint8_t s = 0; s < 4; ++s) {
            if (seats_[s]) {
                SendSettingsState(s);
            }
        }
    }
    PokeBots();
}

void Table::RaiseHand(std::uint8_t seat) { AgreeOrReady(seat, false); }

void Table::AgreeOrReady(std::uint8_t seat, bool viaStartButton) {
    if (seat > 3 || !seats_[seat] || game_ || !settingsDone_) {
        return;
    }
    Member& m = *seats_[seat];
    if (m.ready) {
        return;
    }
    m.ready = true;
    m.mustAgree = false;
    Log(LogLevel::Info, m.person.name + " is ready");
    Broadcast(viaStartButton ? MakeReady(seat) : MakeRaisedHand(m.person.name, ""));
    MaybeStart();
    PokeBots();
}

void Table::MaybeStart() {
    if (game_ || !settingsDone_) {
        return;
    }
    for (const auto& m : seats_) {
        if (!m || !m->ready || m->offline || m->mustAgree) {
            return;
        }
    }
    if (!host_.MayStartGame()) {
        Broadcast(MakeRoomNotice("房间暂时存不下战绩，存好之前不开新局，请稍候。"));
        return;
    }
    StartGame();
}

// --- the game ----------------------------------------------------------------------

void Table::StartGame() {
    engine::DealRng rng(host_.NextDealSeed());
    game_.emplace(engine::DealHands(rng));
    ++gamesPlayed_;
    record_ = FinishedGame{};
    record_.tableNo = number_;
    record_.stake = stake_;
    dealtAt_ = std::chrono::steady_clock::now();
    for (std::uint8_t s = 0; s < 4; ++s) {
        seats_[s]->ready = false;
        record_.players[s] = seats_[s]->person.name;
        record_.dealt[s] = game_->DealtHand(s);
        record_.red[s] = game_->IsRed(s);
    }
    Log(LogLevel::Info, "game " + std::to_string(gamesPlayed_) + " starts");
    Broadcast(MakeGameStart(options_.game));
    for (std::uint8_t s = 0; s < 4; ++s) {
        SendTo(*seats_[s], MakeDeal(game_->Hand(s)));
    }
    for (const Member& m : spectators_) {
        if (const auto watched = SeatOfName(m.watching)) {
            SendTo(m, MakeDeal(VisibleTo(game_->Hand(*watched), seats_[*watched]->allowWatch)));
        }
    }
    showingTimer_ = Schedule((options_.game.showSeconds + 5) * 1000, [this] {
        showingTimer_ = 0;
        CloseShowing();
    });
    StartClock(options_.game.showSeconds);
    PokeBots();
}

void Table::AnswerShowing(std::uint8_t seat, std::uint8_t answer) {
    if (!game_ || seat > 3 || !seats_[seat]) {
        return;
    }
    // Only a seat holding exactly one red ten is ever asked to follow: a
    // second answer of "none" told to the others would give that ten away.
    // The seat's own table alone hears it.
    const bool following = game_->LiangTimes(seat) > 0;
    if (const auto refused = game_->AnswerShowing(seat, answer)) {
        Notice(seats_[seat]->id, *refused);
        return;
    }
    if (following && answer == 0) {
        SendTo(*seats_[seat], MakeShowingAnswer(seat, answer));
    } else {
        Step(GameStep::Kind::Answer, seat, answer);
        Broadcast(MakeShowingAnswer(seat, answer));
    }
    if (game_->ShowingComplete()) {
        EndShowing();
    } else if (game_->AllFirstAnswersIn() && followTimer_ == 0) {
        followTimer_ = Schedule(options_.game.showSeconds * 1000 + 2000, [this] {
            followTimer_ = 0;
            CloseShowing();
        });
        StartClock(options_.game.showSeconds);  // the tables ask whether to follow now
    }
    PokeBots();
}

void Table::CloseShowing() {
    if (!game_ || game_->Phase() != kPhaseShowing) {
        return;
    }
    for (std::uint8_t s : game_->FillMissingAnswers()) {
        Step(GameStep::Kind::Answer, s, 0);
        Broadcast(MakeShowingAnswer(s, 0));
    }
    EndShowing();
}

void Table::EndShowing() {
    CancelTimer(showingTimer_);
    CancelTimer(followTimer_);
    game_->EndShowing();
    for (std::uint8_t s = 0; s < 4; ++s) {
        record_.shown[s] = game_->Liang(s);
    }
    quiet_ = true;
    Step(GameStep::Kind::ShowingOver, game_->CurSeat(), 0);
    Broadcast(MakeShowingOver(game_->CurSeat(), kPhaseLead));
    ArmTurnDeadline();
    PokeBots();
}

bool Table::Play(std::uint8_t seat, const CardList& cards) {
    if (!game_ || seat > 3 || !seats_[seat]) {
        return false;
    }
    auto result = game_->Play(seat, cards);
    if (const auto* refused = std::get_if<std::string>(&result)) {
        Notice(seats_[seat]->id, *refused);
        return false;
    }
    const auto& done = std::get<engine::Game::PlayResult>(result);
    record_.plays.emplace_back(seat, cards);
    Step(GameStep::Kind::Play, seat, 0);
    quiet_ = done.nextPhase == kPhaseLead;
    Broadcast(MakePlayNotice(done.nextSeat, done.nextPhase, done.place, seat, cards));
    SendHandToSpectators(seat);
    if (game_->Over()) {
        FinishGame();
    } else {
        ArmTurnDeadline();
    }
    PokeBots();
    return true;
}

void Table::FinishGame() {
    Log(LogLevel::Info, "game " + std::to_string(gamesPlayed_) + " over: " +
                            (game_->Winner() > 0 ? "the red side" : "the black side") + " wins");
    Settle(game_->Scores(stake_), game_->Winner(), -1);
}

void Table::Escape(std::uint8_t seat, EscapeReason reason) {
    if (!game_ || !seats_[seat]) {
        RemoveSeat(seat);
        return;
    }
    // The one who ran pays the penalty; the other three share it.
    std::array<std::int32_t, 4> scores{};
    scores[seat] = -penalty_;
    for (std::uint8_t i = 1; i <= 3; ++i) {
        const auto s = static_cast<std::uint8_t>((seat + i) % 4);
        scores[s] = penalty_ / 3 + (i <= penalty_ % 3 ? 1 : 0);
    }
    Log(LogLevel::Info, seats_[seat]->person.name + " ran away from game " +
                            std::to_string(gamesPlayed_) + " (" + EscapeReasonText(reason) + ")");
    Step(GameStep::Kind::Escape, seat, static_cast<std::uint8_t>(reason));
    Broadcast(MakePlayerLeaves(seat, EscapeReasonText(reason)));
    Settle(scores, 0, seat);
}

void Table::Settle(const std::array<std::int32_t, 4>& scores, int winner, int escapedSeat) {
    std::array<CardList, 4> remaining;
    for (std::uint8_t s = 0; s < 4; ++s) {
        remaining[s] = game_->Hand(s);
        record_.places[s] = game_->MingCi(s);
        PersonRecord& p = seats_[s]->person;
        const PersonRecord before = p;
        p.games += 1;
        p.points += scores[s];
        if (escapedSeat < 0) {
            (scores[s] > 0 ? p.wins : p.losses) += 1;
        } else if (s == escapedSeat) {
            p.escapes += 1;
            p.losses += 1;
        }
        record_.records[s] = p;
        PersonRecord& change = record_.changes[s];
        change = {};
        change.name = p.name;
        change.points = p.points - before.points;
        change.games = p.games - before.games;
        change.wins = p.wins - before.wins;
        change.losses = p.losses - before.losses;
        change.draws = p.draws - before.draws;
        change.escapes = p.escapes - before.escapes;
    }
    record_.scores = scores;
    record_.remaining = remaining;
    record_.winner = winner;
    record_.escapedSeat = escapedSeat;
    Broadcast(MakeGameOver(scores, remaining));
    // Everybody at the table sees the new totals now, not at the next join.
    Broadcast(MakeFullUserList(UserRecords()));
    CloseGame(escapedSeat);
}

void Table::Abandon() {
    Log(LogLevel::Info, "game " + std::to_string(gamesPlayed_) + " abandoned: the room closes");
    for (std::uint8_t s = 0; s < 4; ++s) {
        record_.remaining[s] = game_->Hand(s);
        record_.places[s] = game_->MingCi(s);
        record_.records[s] = seats_[s]->person;
    }
    record_.scores = {};
    record_.winner = 0;
    record_.escapedSeat = -1;
    record_.abandoned = true;
    CloseGame(-1);
}

void Table::CloseGame(int escapedSeat) {
    game_.reset();
    ForgetThoughts();
    CancelTimer(turnTimer_);
    CancelTimer(clockTimer_);
    CancelTimer(showingTimer_);
    CancelTimer(followTimer_);
    host_.GameFinished(record_);
    if (escapedSeat >= 0) {
        RemoveSeat(static_cast<std::uint8_t>(escapedSeat));
    }
    // Whoever dropped during the game and has not come back leaves now.
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (seats_[s] && seats_[s]->offline) {
            RemoveSeat(s);
        }
    }
}

void Table::Step(GameStep::Kind kind, std::uint8_t seat, std::uint8_t value) {
    const auto since = std::chrono::steady_clock::now() - dealtAt_;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
    record_.steps.push_back(
        {kind, seat, value, static_cast<std::int32_t>(std::min<long long>(ms, INT32_MAX))});
}

// --- the room's patience -----------------------------------------------------------------

void Table::StartClock(int seconds) {
    CancelTimer(clockTimer_);
    clockOut_ = false;
    clockTimer_ = Schedule(seconds * 1000, [this] {
        clockTimer_ = 0;
        clockOut_ = true;
        PokeBots();
    });
}

void Table::ArmTurnDeadline() {
    CancelTimer(turnTimer_);
    if (!game_ || game_->Phase() == kPhaseShowing) {
        return;
    }
    CancelTimer(clockTimer_);
    clockOut_ = false;
    const std::uint8_t seat = game_->CurSeat();
    const std::size_t played = record_.plays.size();
    if (!seats_[seat] || seats_[seat]->bot) {
        return;  // computer players never keep a table waiting
    }
    StartClock(options_.game.playSeconds);
    if (seats_[seat]->offline) {
        return;  // played for when its clock runs out
    }
    turnTimer_ = Schedule(options_.game.playSeconds * 1000 + options_.turnGraceMs, [this, seat, played] {
        turnTimer_ = 0;
        if (game_ && game_->CurSeat() == seat && record_.plays.size() == played) {
            Log(LogLevel::Info, SeatName(seat) + " let the turn pass; the room plays for the seat");
            PlayPlainestMove(seat);
        }
    });
}

void Table::PlayPlainestMove(std::uint8_t seat) {
    if (!game_ || game_->Hand(seat).empty()) {
        return;
    }
    if (game_->Phase() == kPhaseLead) {
        CardList sorted = game_->Hand(seat);
        SortPai(sorted);
        Play(seat, {sorted.back()});
    } else {
        Play(seat, {kPassCard});
    }
}

void Table::ArmSettingsDeadline() {
    CancelTimer(settingsTimer_);
    if (settingsDone_) {
        return;
    }
    settingsTimer_ = Schedule(options_.settingsDeadlineMs, [this] {
        settingsTimer_ = 0;
        const auto seat = SeatOfName(owner_);
        if (!settingsDone_ && seat && !game_) {
            Log(LogLevel::Info, owner_ + " did not confirm the settings; the room confirms them");
            // Confirmed, but not ready: nobody plays a scored game in an
            // absent owner's name. The owner is offered the start button.
            ApplySettings(*seat, SettingsText(), /*ownerReady=*/false);
        }
    });
}

// --- computer players ------------------------------------------------------------------

TimerId Table::Schedule(int ms, std::function<void()> fn) { return host_.After(ms, std::move(fn)); }

void Table::CancelTimer(TimerId& timer) {
    if (timer != 0) {
        host_.Cancel(timer);
        timer = 0;
    }
}

bool Table::RoomMovesFor(std::uint8_t s) const {
    return seats_[s] && (seats_[s]->bot || (seats_[s]->offline && game_));
}

bool Table::PeopleReady() const {
    return std::all_of(seats_.begin(), seats_.end(),
                       [](const auto& m) { return !m || m->bot || m->offline || m->ready; });
}

bool Table::BotHasWork(std::uint8_t s) const {
    const Member& m = *seats_[s];
    if (!game_) {
        if (!settingsDone_) {
            return IsOwner(s);
        }
        // Raising a hand before the people would start their tables'
        // countdown to leave; computer players wait for them.
        return !m.ready && PeopleReady();
    }
    if (game_->Phase() == kPhaseShowing) {
        return game_->LiangTimes(s) == 0 || game_->MayFollow(s);
    }
    return (game_->Phase() == kPhaseLead || game_->Phase() == kPhaseFollow) && game_->CurSeat() == s;
}

void Table::PokeBots() {
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (!RoomMovesFor(s) || !BotHasWork(s)) {
            continue;
        }
        if (seats_[s]->bot) {
            StartThinking(s);  // a dropped person's seat is played as the basic player plays
        }
        if (botTimers_[s] != 0) {
            continue;
        }
        int delay = options_.botPauseMs;
        if (!seats_[s]->bot) {
            if (!clockOut_) {
                continue;  // a dropped seat keeps the time its player would have had
            }
            delay = 0;
        } else if (quiet_ && HasHumans()) {
            delay = std::max(delay, options_.botQuietMs);
        }
        botTimers_[s] = Schedule(delay, [this, s] {
            botTimers_[s] = 0;
            BotAct(s);
        });
    }
}

void Table::BotAct(std::uint8_t s) {
    if (!RoomMovesFor(s) || !BotHasWork(s)) {
        return;
    }
    quiet_ = false;
    if (!game_) {
        if (!settingsDone_) {
            ConfirmSettings(s, SettingsText());
        } else {
            AgreeOrReady(s, false);
        }
        return;
    }
    if (strong_ && seats_[s]->bot) {
        BotActStrong(s);
        return;
    }
    const CardList& hand = game_->Hand(s);
    if (game_->Phase() == kPhaseShowing) {
        if (game_->LiangTimes(s) == 0) {
            AnswerShowing(s, engine::BotShowingAnswer(hand));
        } else {
            const bool follow = engine::BotFollows(hand);
            AnswerShowing(s, follow ? static_cast<std::uint8_t>(
                                          (std::count(hand.begin(), hand.end(), kRedTen59) ? 1 : 0) |
                                          (std::count(hand.begin(), hand.end(), kRedTen72) ? 2 : 0))
                                    : 0);
        }
        return;
    }
    const bool lead = game_->Phase() == kPhaseLead;
    const CardList choice = lead ? engine::BotLead(hand) : engine::BotFollow(hand, game_->ToBeat());
    if (!Play(s, choice)) {
        PlayPlainestMove(s);  // never stall the table
    }
}

}  // namespace redten::room
