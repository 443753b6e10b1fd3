#include "server/tables/replay.h"

#include <algorithm>
#include <map>
#include <variant>

#include "engine/game.h"
#include "server/tables/items.h"
#include "wire/messages.h"

namespace redten::room {
namespace {

// Games stored before their times were kept: a steady pace, the answers
// first, then the showing's end, then the plays.
std::vector<GameStep> StepsWithoutTimes(const FinishedGame& g) {
    std::vector<GameStep> steps;
    for (std::uint8_t s = 0; s < 4; ++s) {
        steps.push_back({GameStep::Kind::Answer, s, g.shown[s], -1});
    }
    steps.push_back({GameStep::Kind::ShowingOver, 0, 0, -1});
    for (const auto& play : g.plays) {
        steps.push_back({GameStep::Kind::Play, play.first, 0, -1});
    }
    if (g.escapedSeat >= 0 && g.escapedSeat < 4) {
        steps.push_back({GameStep::Kind::Escape, static_cast<std::uint8_t>(g.escapedSeat), 0, -1});
    }
    return steps;
}

Snapshot BetweenGames(const GameOptions& options) {
    Snapshot snapshot;
    snapshot.options = options;
    snapshot.watchVisible = true;
    return snapshot;
}

}  // namespace

Replay::Replay(PersonId spectator, std::string name, const StoredGame& stored, std::uint8_t seat,
               ReplayOptions options, TableHost& host)
    : spectator_(spectator),
      name_(std::move(name)),
      seat_(seat < 4 ? seat : 0),
      options_(options),
      host_(host) {
    Write(stored);
}

Replay::~Replay() {
    if (timer_ != 0) {
        host_.Cancel(timer_);
    }
}

void Replay::Write(const StoredGame& stored) {
    const FinishedGame& g = stored.game;
    const std::string& watched = g.players[seat_];
    PersonRecord me;
    me.name = name_;
    me.portrait = 1000;
    std::vector<std::string> records;
    for (int s = 0; s < 4; ++s) {
        records.push_back(UserRecordText(g.records[s], {}, s, false, false));
    }
    records.push_back(UserRecordText(me, watched, 0, false, false));
    welcome_ = {MakeIdentity(name_, watched),
                MakeFullUserList(records),
                MakeItemText(0, ItemCatalogueText()),
                MakeItemText(1, OwnedItemsText(me)),
                MakeRoomNotice("正在回放第 " + std::to_string(stored.id) + " 局（" +
                               stored.finishedAt + "），回放不计战绩。"),
                MakeSnapshot(BetweenGames(options_.game))};

    engine::Game game(g.dealt);
    int at = options_.pauseMs / 2;
    const auto add = [&](Bytes message) { script_.push_back({at, std::move(message)}); };
    // The review's marks, told in the chat pane as their decisions are made:
    // showing answers by their place among the answers, plays by number.
    std::map<std::uint32_t, const engine::DecisionReview*> answers, plays;
    if (stored.review) {
        for (const engine::DecisionReview& d : stored.review->decisions) {
            if (d.mark != engine::Mark::None) {
                (d.play > 0 ? plays[d.play] : answers[d.event]) = &d;
            }
        }
        welcome_.push_back(MakeRoomNotice("这局复盘过了：失误、大失误和好棋会在出牌时在这里说。"));
    }
    std::uint32_t answered = 0;
    const auto tell = [&](const std::map<std::uint32_t, const engine::DecisionReview*>& marks,
                          std::uint32_t key) {
        const auto it = marks.find(key);
        if (it != marks.end()) {
            const engine::DecisionReview& d = *it->second;
            add(MakeRoomNotice(engine::MarkLine(d, d.seat == seat_ ? "你" : g.players[d.seat])));
        }
    };
    add(MakeGameStart(options_.game));
    add(MakeDeal(game.Hand(seat_)));

    const std::vector<GameStep> steps = g.steps.empty() ? StepsWithoutTimes(g) : g.steps;
    const bool timed = !g.steps.empty() && options_.speed > 0;
    int lastMs = 0;
    bool pause = false;
    std::size_t play = 0;
    for (const GameStep& step : steps) {
        const double gap = timed ? (step.ms - lastMs) / options_.speed
                                 : (pause ? options_.pauseMs : options_.stepMs);
        at += static_cast<int>(std::clamp(gap, 0.0, static_cast<double>(options_.longestWaitMs)));
        lastMs = step.ms;
        pause = false;
        switch (step.kind) {
            case GameStep::Kind::Answer:
                if (game.AnswerShowing(step.seat, step.value)) {
                    break;  // a stored answer the rules refuse was never heard
                }
                add(MakeShowingAnswer(step.seat, step.value));
                tell(answers, answered++);
                break;
            case GameStep::Kind::ShowingOver:
                for (const std::uint8_t s : game.FillMissingAnswers()) {
                    add(MakeShowingAnswer(s, 0));
                    tell(answers, answered++);
                }
                game.EndShowing();
                add(MakeShowingOver(game.CurSeat(), kPhaseLead));
                pause = true;
                break;
            case GameStep::Kind::Play: {
                if (play >= g.plays.size()) {
                    break;
                }
                const auto& [seat, cards] = g.plays[play++];
                const auto result = game.Play(seat, cards);
                const auto* done = std::get_if<engine::Game::PlayResult>(&result);
                if (!done) {
                    add(MakeRoomNotice("这局的记录与规则对不上，回放到此为止。"));
                    return;
                }
                add(MakePlayNotice(done->nextSeat, done->nextPhase, done->place, seat, cards));
                if (seat == seat_) {
                    add(MakeHand(game.Hand(seat)));
                }
                tell(plays, static_cast<std::uint32_t>(play));
                pause = done->nextPhase == kPhaseLead;
                break;
            }
            case GameStep::Kind::Escape:
                add(MakePlayerLeaves(step.seat,
                                     EscapeReasonText(static_cast<EscapeReason>(step.value))));
                break;
        }
    }
    at += options_.stepMs;
    if (g.abandoned) {
        add(MakeRoomNotice("这局因房间关闭没有打完，不计输赢。"));
    } else {
        std::array<CardList, 4> remaining;
        for (std::uint8_t s = 0; s < 4; ++s) {
            remaining[s] = game.Hand(s);
        }
        add(MakeGameOver(g.scores, remaining));
        add(MakeFullUserList(records));
    }
    add(MakeRoomNotice("第 " + std::to_string(stored.id) + " 局回放完了，关掉窗口即可离开。"));
}

void Replay::Start() {
    for (const Bytes& message : welcome_) {
        host_.Send(spectator_, message);
    }
    SendDue();
}

void Replay::SendDue() {
    timer_ = 0;
    const int now = next_ < script_.size() ? script_[next_].atMs : 0;
    while (next_ < script_.size() && script_[next_].atMs == now) {
        host_.Send(spectator_, script_[next_++].message);
    }
    if (next_ < script_.size()) {
        timer_ = host_.After(script_[next_].atMs - now, [this] { SendDue(); });
    }
}

bool Replay::OnMessage(const Bytes& message) {
    const auto leave = wire::LeaveTable::Decode(message);
    return leave && leave->name == name_;
}

}  // namespace redten::room
