// The strong computer players at a table: they think off the room's thread
// while their pause runs, and answer when both are over.
#include <chrono>

#include "engine/bot.h"
#include "server/tables/table.h"

namespace redten::room {

// A strong player starts thinking as soon as it is asked, so that the
// answer is usually there when its pause is over.
void Table::StartThinking(std::uint8_t s) {
    if (!game_ || !strong_) {
        return;
    }
    engine::SeatView view = engine::ViewOf(*game_, s);
    const engine::Ask ask = engine::AskOf(view, engine::Replay(view.events));
    Thought& t = thoughts_[s];
    const bool same = t.game == gamesPlayed_ && t.ask == ask &&
                      (ask != engine::Ask::Play || t.events == view.events.size());
    if ((t.id != 0 || t.ready) && same) {
        return;
    }
    ForgetThought(s);
    if (ask == engine::Ask::Nothing) {
        return;
    }
    t.game = gamesPlayed_;
    t.events = view.events.size();
    t.ask = ask;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(ThinkMs());
    t.id = host_.Think(
        [player = strong_, view = std::move(view), deadline,
         seed = thinkSeeds_.Next()](const std::atomic<bool>& cancel) {
            engine::Limits limits;
            limits.seed = seed;
            limits.deadline = deadline;
            limits.cancel = &cancel;
            return player->Decide(view, limits);
        },
        [this, s](engine::Decision decision) {
            Thought& done = thoughts_[s];
            done.id = 0;
            done.ready = std::move(decision);
            if (done.waiting) {
                BotAct(s);
            }
        });
}

void Table::ForgetThought(std::uint8_t s) {
    Thought& t = thoughts_[s];
    if (t.id != 0) {
        host_.CancelThink(t.id);
    }
    CancelTimer(t.late);
    t = Thought{};
}

void Table::ForgetThoughts() {
    for (std::uint8_t s = 0; s < 4; ++s) {
        ForgetThought(s);
    }
}

void Table::BotActStrong(std::uint8_t s) {
    StartThinking(s);  // unless it is on this question already
    Thought& t = thoughts_[s];
    if (!t.ready) {
        // Wait for it, but never past the cap: then the basic player
        // answers in its place.
        t.waiting = true;
        if (t.late == 0) {
            t.late = Schedule(ThinkMs(), [this, s] {
                Thought& late = thoughts_[s];
                late.late = 0;
                if (late.id != 0) {
                    host_.CancelThink(late.id);
                    late.id = 0;
                }
                if (seats_[s] && game_ && BotHasWork(s)) {
                    late.ready = basic_->Decide(engine::ViewOf(*game_, s), {});
                    BotAct(s);
                }
            });
        }
        return;
    }
    engine::Decision decision = *t.ready;
    ForgetThought(s);
    const engine::SeatView view = engine::ViewOf(*game_, s);
    if (!engine::IsLegal(view, decision)) {
        decision = basic_->Decide(view, {});
    }
    if (game_->Phase() == kPhaseShowing) {
        AnswerShowing(s, decision.answer);
    } else if (!Play(s, decision.play)) {
        PlayPlainestMove(s);  // never stall the table
    }
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
