// A table's game: the settings and readiness before it, the deal, the
// showing, the plays, the settlement, and the room's patience with seats
// that let their turn run out.
#include <algorithm>
#include <chrono>
#include <climits>

#include "engine/shuffle.h"
#include "server/tables/table.h"
#include "wire/text_fields.h"

namespace redten::room {

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

}  // namespace redten::room
