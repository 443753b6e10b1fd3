// The strong computer players at a table: they think off the room's thread
// while their pause runs, and answer when both are over.
#include <chrono>

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
        std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.botThinkMs);
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
            t.late = Schedule(options_.botThinkMs, [this, s] {
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

}  // namespace redten::room
