#include "game/game_messages.h"

#include <algorithm>

#include "rules/pai_type.h"
#include "state/dropped_messages.h"
#include "wire/client_messages.h"
#include "wire/text_fields.h"

namespace redten {

namespace {

bool HoldsRedTen(const CardList& cards) {
    return std::any_of(cards.begin(), cards.end(), [](std::uint8_t c) { return c == kRedTen59 || c == kRedTen72; });
}

// A seat's showing answer counts its tens as bits (1 and 2); 4 is no answer.
std::int32_t ShowingMultiplier(const GameState& game) {
    std::int32_t multiplier = 1;
    for (const UserGameInfo& seat : game.udtUser) {
        if (seat.bteLiang <= 3) {
            multiplier <<= (seat.bteLiang & 1) + ((seat.bteLiang & 2) >> 1);
        }
    }
    return multiplier;
}

// Red is whoever was dealt a red ten: shown, played (both mark the seat's
// answer), or still in hand at the end.
GameResult ResultOf(const GameState& game, const wire::GameOver& over, std::int32_t multiplier) {
    GameResult result;
    result.scores = over.scores;
    result.multiplier = multiplier;
    for (std::size_t s = 0; s < 4; ++s) {
        const UserGameInfo& seat = game.udtUser[s];
        result.red[s] = (seat.bteLiang >= 1 && seat.bteLiang <= 3) ||
                        (s < over.remaining.size() && HoldsRedTen(over.remaining[s]));
        result.places[s] = seat.bteMingCi;
    }
    return result;
}

}  // namespace

GameMessages::GameMessages(ClientContext& context, TableServices& services, TurnFlow& flow)
    : context_(context), game_(context.game), services_(services), flow_(flow) {}

void GameMessages::Notice(const std::string& text, const std::string& caption, std::function<void()> then) {
    services_.boxes.ShowNotice(text, caption, 10, std::move(then));
}

void GameMessages::AfterPause(std::uint32_t ms, std::function<void(bool overtaken)> then) {
    services_.beats.After(ms, [this, before = moves_, then = std::move(then)] { then(moves_ != before); });
}

void GameMessages::FlushCleanup() {
    const Cleanup due = pending_;
    pending_ = Cleanup::None;
    switch (due) {
        case Cleanup::ShowingOver:
            for (UserGameInfo& seat : game_.udtUser) {
                seat.bteOutPai.clear();
            }
            game_.blnWaitLiang = 0;
            return;
        case Cleanup::TrickWon:
            // The won trick becomes the previous one.
            for (UserGameInfo& u : game_.udtUser) {
                u.bteLastOutPai = u.bteOutPai;
                u.bteOutPai.clear();
            }
            return;
        case Cleanup::None:
            return;
    }
}

void GameMessages::MoveOn() {
    FlushCleanup();
    // Whatever is new on the table ends the previous trick's moment.
    context_.scene.previousTrick = false;
    ++moves_;
}

void GameMessages::ExecGameMsg(const Bytes& m) {
    if (m.empty()) {
        return;
    }
    game_.hints.lngHintCount = 0;
    bool taken = true;
    switch (static_cast<MessageCode>(m[0])) {
        case MessageCode::Chat: taken = wire::Take(m, *this, &GameMessages::OnChatLine); break;
        case MessageCode::Hand: taken = wire::Take(m, *this, &GameMessages::SetMyPai); break;
        case MessageCode::PlayerLeaves: taken = wire::Take(m, *this, &GameMessages::OnPlayerLeaves); break;
        case MessageCode::GameStart:
            // Even a start we cannot read ends the game before it.
            MoveOn();
            OnGameStart(wire::GameStart::Decode(m));
            break;
        case MessageCode::Ready: taken = wire::Take(m, *this, &GameMessages::OnReady); break;
        case MessageCode::Deal: {
            // Only a deal of the size this game's decks give moves it on.
            const auto deal = wire::Deal::Decode(m);
            const std::size_t cards = 13 * std::size_t{game_.bteDeckCount};
            taken = deal && cards <= kMaxHandCards && deal->cards.size() == cards;
            if (taken) {
                MoveOn();
                OnDeal(*deal);
            }
            break;
        }
        case MessageCode::Showing:
            if (const auto answer = wire::ShowingAnswer::Decode(m)) {
                MoveOn();
                OnShowingAnswer(*answer);
            } else if (const auto over = wire::ShowingOver::Decode(m)) {
                MoveOn();
                OnShowingOver(*over);
            } else {
                taken = false;
            }
            break;
        case MessageCode::Play:
            if (const auto play = wire::Play::Decode(m)) {
                MoveOn();
                OnPlay(*play);
            } else {
                taken = false;
            }
            break;
        case MessageCode::GameNotice: taken = wire::Take(m, *this, &GameMessages::OnNotice); break;
        case MessageCode::GameOver:
            MoveOn();
            OnGameOver(*wire::GameOver::Decode(m));  // any message of this code reads
            break;
        case MessageCode::Watch: taken = wire::Take(m, *this, &GameMessages::OnWatchVisibility); break;
        case MessageCode::Items:
            taken = wire::Take(m, *this, &GameMessages::OnItemText) || wire::Take(m, *this, &GameMessages::OnItemUsed);
            break;
        default: taken = false; break;
    }
    if (!taken) {
        LogDroppedMessage("game", m);
        return;
    }
    context_.Changed();
}

void GameMessages::OnChatLine(const wire::ChatLine& m) {
    std::array<std::string, 8> line;
    std::copy(m.fields.begin() + 2, m.fields.end(), line.begin());
    services_.chat.AddChatLine(line);
}

void GameMessages::OnReady(const wire::Ready& m) { game_.udtUser[m.seat].blnReady = -1; }

void GameMessages::SetMyPai(const wire::Hand& m) {
    game_.bteMyPai = m.cards;
    game_.udtUser[ViewSeat() & 3].bteCardCount = static_cast<std::uint8_t>(game_.bteMyPai.size());
    flow_.ShowGameState();
}

void GameMessages::OnPlayerLeaves(const wire::PlayerLeaves& m) {
    const std::uint8_t s = m.seat;
    const std::string name = s <= 3 ? game_.udtUser[s].strUserName : std::string();
    const std::string text = name + " 不能继续玩下去，原因：" + m.reason;
    std::function<void()> then;
    if (s == ViewSeat() && !IsSpectator()) {
        then = [this, text] { services_.closeMainWindow({TableClosing::Cause::SentAway, text}); };
    }
    Notice(text, context_.launch.strGameTitle + "系统提示", std::move(then));
}

void GameMessages::OnGameStart(const std::optional<wire::GameStart>& m) {
    // Begin the game: the start button goes; the room hears we are in.
    if (context_.define.blnWaitStart) {
        context_.define.blnWaitStart = false;
        flow_.UpdateStartButton();
    }
    if (context_.define.blnInGame == 0) {
        context_.define.blnInGame = 1;
        services_.link.Send(MakeEnterGame());
    }
    flow_.StopClock();
    ResetGameData(context_, true);
    context_.scene.result.reset();
    multiplier_ = 1;
    context_.define.blnInGame = 1;
    game_.blnNoDeal = 0;
    if (!m) {
        return;
    }
    game_.bteMaxAutoOutTimes = m->options.autoLimit;
    game_.bteDeckCount = m->options.decks;
    game_.blnShowOtherBack = m->options.showBacks;
    game_.bteLiangTime = m->options.showSeconds;
    game_.bteOutTime = m->options.playSeconds;
    if (!IsSpectator()) {
        services_.link.Send(MakeStartAck(ViewSeat()));
    }
}

void GameMessages::OnDeal(const wire::Deal& m) {
    const std::size_t cards = m.cards.size();
    game_.bteMyPai = m.cards;
    for (std::uint8_t s = 0; s < 4; ++s) {
        game_.udtUser[s].bteCardCount = static_cast<std::uint8_t>(cards);
    }
    game_.bteGameState = kPhaseShowing;
    flow_.ShowGameState();
    services_.sounds.PlayGameSound(GameSound::Start);
}

void GameMessages::OnShowingAnswer(const wire::ShowingAnswer& m) {
    const std::uint8_t s = m.seat;
    const std::uint8_t answer = m.answer;
    UserGameInfo& seat = game_.udtUser[s];
    seat.bteLiang = answer;
    seat.bteLiangTimes = static_cast<std::uint8_t>(std::min(seat.bteLiangTimes + 1, 255));
    if (answer >= 1 && answer <= 3) {
        seat.bteOutPai = answer == 1   ? CardList{kRedTen59}
                         : answer == 2 ? CardList{kRedTen72}
                                       : CardList{kRedTen59, kRedTen72};
    }
    if (seat.bteLiang != 0) {
        services_.sounds.PlayGameSound(GameSound::Showing);
    }
    flow_.ShowGameState();
}

void GameMessages::OnShowingOver(const wire::ShowingOver& m) {
    multiplier_ = ShowingMultiplier(game_);
    // Showing is over: the shown tens stay in view a moment.
    pending_ = Cleanup::ShowingOver;
    AfterPause(2000, [this, m](bool overtaken) {
        if (pending_ == Cleanup::ShowingOver) {
            FlushCleanup();
        }
        if (!overtaken) {  // else the first lead already came
            if (m.leader <= 3) {
                game_.bteCurSeat = m.leader;
            }
            game_.bteGameState = m.phase;
            flow_.ShowGameState();
        }
        context_.Changed();
    });
}

void GameMessages::OnPlay(const wire::Play& m) {
    const std::uint8_t s = m.seat;
    const CardList& cards = m.cards;
    const std::size_t n = cards.size();
    UserGameInfo& seat = game_.udtUser[s];

    if (m.nextSeat <= 3) {
        game_.bteCurSeat = m.nextSeat;
    }
    game_.bteGameState = m.nextPhase;
    seat.bteMingCi = m.place;
    seat.bteOutPai = cards;
    for (const std::uint8_t card : cards) {
        // Playing a red ten shows it.
        if (card == kRedTen59 && (seat.bteLiang == 0 || seat.bteLiang == 2)) {
            seat.bteLiang += 1;
        } else if (card == kRedTen72 && (seat.bteLiang == 0 || seat.bteLiang == 1)) {
            seat.bteLiang += 2;
        }
    }
    Blast blast = Blast::None;
    if (!cards.empty() && cards[0] == kPassCard) {
        services_.sounds.PlayGameSound(GameSound::Pass);
    } else {
        const PaiClass c = GetPaiType(cards);
        if (c.type > kTypeRedTens) {
            seat.bteOutPai.clear();
            flow_.ShowGameState();
        }
        game_.udtMaxOutPai = MaxOutPai{s, c.type, c.main, static_cast<std::uint8_t>(n)};
        if (c.type <= kTypeStraight) {
            services_.sounds.PlayGameSound(GameSound::Play);
        } else if (c.type == kTypeBomb) {
            blast = Blast::Bomb;
            services_.sounds.PlayGameSound(GameSound::Bomb);
        } else if (c.type == kTypeRedTens) {
            blast = Blast::RedTens;
            services_.sounds.PlayGameSound(GameSound::RedTens);
        }
        seat.bteCardCount = static_cast<std::uint8_t>(seat.bteCardCount > n ? seat.bteCardCount - n : 0);
        if (s == ViewSeat()) {
            RemoveOutPai(game_.bteMyPai, cards);
            std::fill(game_.bteSelected.begin(), game_.bteSelected.end(), 0);
        }
    }

    if (game_.bteGameState == kPhaseLead) {
        // The trick is won: it stays in view a moment, then becomes the
        // previous trick.
        pending_ = Cleanup::TrickWon;
        AfterPause(2000, [this, s, blast](bool overtaken) {
            if (pending_ == Cleanup::TrickWon) {
                FlushCleanup();
            }
            FinishPlay(s, blast, overtaken);
        });
        return;
    }
    // The seat about to act clears its place of the round before.
    const std::uint8_t next = game_.bteCurSeat & 3;
    game_.udtUser[next].bteLastOutPai = game_.udtUser[next].bteOutPai;
    game_.udtUser[next].bteOutPai.clear();
    FinishPlay(s, blast, false);
}

void GameMessages::FinishPlay(std::uint8_t seat, Blast blast, bool overtaken) {
    if (blast != Blast::None) {
        StartBlast(seat, blast, overtaken);  // the turn moves on once it is over
        return;
    }
    if (!overtaken) {
        flow_.ShowGameState();
    }
    context_.Changed();
}

void GameMessages::StartBlast(std::uint8_t seat, Blast blast, bool overtaken) {
    TableScene& scene = context_.scene;
    scene.blast = blast;
    scene.blastSeat = seat;
    scene.blastFrame = 1;
    context_.Changed();
    const std::uint64_t id = ++blasts_;
    AfterPause(BlastFrameMs(blast), [this, id, overtaken](bool) { NextBlastFrame(id, overtaken); });
}

void GameMessages::NextBlastFrame(std::uint64_t id, bool overtaken) {
    TableScene& scene = context_.scene;
    if (id != blasts_ || scene.blast == Blast::None) {
        return;  // a newer blast, or a new game, took its place
    }
    if (scene.blastFrame < BlastFrames(scene.blast)) {
        ++scene.blastFrame;
        context_.Changed();
        AfterPause(BlastFrameMs(scene.blast), [this, id, overtaken](bool) { NextBlastFrame(id, overtaken); });
        return;
    }
    scene.blast = Blast::None;
    scene.blastFrame = 0;
    if (!overtaken) {
        flow_.ShowGameState();
    }
    context_.Changed();
}

void GameMessages::OnNotice(const wire::GameNotice& m) {
    flow_.StopClock();
    lastNotice_ = m.text;
    Notice(lastNotice_, context_.launch.strGameTitle, [this] {
        flow_.ShowGameState();
        context_.Changed();
    });
}

void GameMessages::OnGameOver(const wire::GameOver& m) {
    flow_.StopClock();
    if (m.brief) {
        Notice("本局游戏结束!", context_.launch.strGameTitle, [this] {
            AfterGameOver();
            context_.Changed();
        });
        return;
    }
    GameResult result;
    if (m.scored) {
        result = ResultOf(game_, m, multiplier_);
        for (std::uint8_t s = 0; s < 4; ++s) {
            services_.chat.AddSystemLine(game_.udtUser[s].strUserName + "：" + std::to_string(result.scores[s]));
        }
    }
    for (std::uint8_t s = 0; s < m.remaining.size(); ++s) {
        if (s != ViewSeat()) {
            game_.udtUser[s].bteOpenPai = m.remaining[s];
        }
    }
    flow_.HideStartAndClock();
    game_.blnShowOtherBack = 1;
    context_.controls.bteOutState.fill(ButtonState::Hidden);
    services_.sounds.PlayGameSound(GameSound::End);
    context_.scene.result = result;
    if (!IsSpectator()) {
        AfterGameOver();
        return;
    }
    // A spectator sees the result a while; then the table clears.
    AfterPause(5000, [this](bool overtaken) {
        if (!overtaken) {
            AfterGameOver();
            context_.Changed();
        }
    });
}

void GameMessages::AfterGameOver() {
    if (IsSpectator()) {
        ResetGameData(context_, true);
        context_.scene.result.reset();
    }
    flow_.HideStartAndClock();
    context_.define.blnWaitStart = !IsSpectator();
    flow_.UpdateStartButton();
}

void GameMessages::OnWatchVisibility(const wire::WatchVisibility& m) {
    if (context_.define.blnInGame == 0 || !IsSpectator()) {
        return;
    }
    game_.blnShowMyPai = m.visible ? 1 : 0;
}

void GameMessages::OnItemText(const wire::ItemText& m) {
    switch (m.kind) {
        case 0:
            services_.items.SetDaoJuList(m.text);
            return;
        case 1:
            services_.items.SetMyDaoJuList(m.text);
            return;
        case 2:
            Notice(m.text, context_.launch.strGameTitle + "提示");
            return;
        default:
            return;
    }
}

void GameMessages::OnItemUsed(const wire::ItemUsed& m) {
    services_.boxes.ShowSystemBox(std::to_string(m.from) + " 号用户对 " + std::to_string(m.to) +
                                      " 号用户使用ID号为 " + std::to_string(m.item) + " 的道具",
                                  "道具演示", SystemBoxIcon::Exclamation);
}

void GameMessages::LoadGameState(const std::optional<wire::Snapshot>& snapshot) {
    MoveOn();
    if (!snapshot) {
        return;
    }
    const wire::Snapshot& m = *snapshot;
    if (!m.running) {
        for (std::uint8_t s = 0; s < 4; ++s) {
            game_.udtUser[s].blnReady = m.ready[s] ? -1 : 0;
        }
        game_.blnShowMyPai = IsSpectator() ? (m.watchVisible ? 1 : 0) : 1;
        game_.blnNoDeal = -1;
        game_.bteGameState = kPhaseBetweenGames;
        return;
    }
    game_.blnShowMyPai = IsSpectator() ? (m.watchVisible ? 1 : 0) : 1;
    game_.bteDeckCount = m.options.decks;
    game_.blnShowOtherBack = m.options.showBacks;
    game_.bteLiangTime = m.options.showSeconds;
    game_.bteOutTime = m.options.playSeconds;
    if (m.curSeat <= 3) {
        game_.bteCurSeat = m.curSeat;
    }
    game_.bteGameState = m.phase;
    game_.udtMaxOutPai = m.toBeat;
    for (std::uint8_t s = 0; s < 4; ++s) {
        UserGameInfo& seat = game_.udtUser[s];
        seat.bteLiang = m.liang[s];
        seat.bteLiangTimes = m.liangTimes[s];
        seat.bteMingCi = m.mingCi[s];
        seat.bteCardCount = m.cardCount[s];
        seat.bteOutPai = m.outPai[s];
    }
    game_.bteMyPai = m.hand;
    game_.blnNoDeal = 0;
    // Joined late: the tens shown so far are all there is to count, though
    // a ten played rather than shown counts too.
    if (m.phase != kPhaseShowing) {
        multiplier_ = ShowingMultiplier(game_);
    }
}

}  // namespace redten
