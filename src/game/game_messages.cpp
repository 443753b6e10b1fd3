#include "game/game_messages.h"

#include <algorithm>

#include "game/rules/pai_type.h"
#include "net/wire/client_messages.h"
#include "net/wire/message.h"
#include "net/wire/text_fields.h"

namespace redten {
namespace {

// Cards from..from+count of a message, cut at its end and at a hand's size.
CardList CardsAt(const Bytes& m, std::size_t from, std::size_t count) {
    if (from >= m.size()) {
        return {};
    }
    count = std::min({count, m.size() - from, kMaxHandCards});
    return CardList(m.begin() + static_cast<std::ptrdiff_t>(from),
                    m.begin() + static_cast<std::ptrdiff_t>(from + count));
}

}  // namespace

GameMessages::GameMessages(ClientContext& context, TableServices& services, TurnFlow& flow)
    : context_(context), game_(context.game), services_(services), flow_(flow) {}

void GameMessages::Notice(const std::string& text, const std::string& caption) {
    services_.boxes.ShowGlobalMsg(0, 1, text, caption, 10, "确定", "", true);
}

GameMessages::Pause GameMessages::PauseFor(std::uint32_t ms) {
    const std::uint64_t before = moves_;
    if (!services_.waiter.WaitTime(ms)) {
        return Pause::Ending;
    }
    return moves_ == before ? Pause::Quiet : Pause::Overtaken;
}

bool GameMessages::MovesTheGame(const Bytes& m) const {
    switch (m[0]) {
        case 17:
        case 23:
            return true;
        case 19:
            return 13 * std::size_t{game_.bteDeckCount} <= kMaxHandCards &&
                   m.size() == 13 * std::size_t{game_.bteDeckCount} + 2;
        case 20:
            return m.size() == 4 && (m[1] != 0 || m[2] <= 3);
        case 21:
            return m.size() >= 7 && m.size() == std::size_t{m[6]} + 7 && m[5] <= 3;
        default:
            return false;
    }
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
            services_.view.RepaintOutArea(false);
            return;
        case Cleanup::TrickWon:
            // The won trick becomes the previous one.
            for (UserGameInfo& u : game_.udtUser) {
                u.bteLastOutPai = u.bteOutPai;
                u.bteOutPai.clear();
            }
            services_.view.RepaintOutArea(false);
            return;
        case Cleanup::None:
            return;
    }
}

void GameMessages::ExecGameMsg(const Bytes& m) {
    if (m.empty()) {
        return;
    }
    game_.hints.lngHintCount = 0;
    if (MovesTheGame(m)) {
        FlushCleanup();
        ++moves_;
    }
    switch (m[0]) {
        case 1: OnChatLine(m); return;
        case 2: SetMyPai(m); return;
        case 5: OnPlayerLeaves(m); return;
        case 17: OnGameStart(m); return;
        case 18:
            if (m.size() == 2 && m[1] <= 3) {
                game_.udtUser[m[1]].blnReady = -1;
                services_.view.PaintReadyHand(m[1]);
            }
            return;
        case 19: OnDeal(m); return;
        case 20: OnShowing(m); return;
        case 21: OnPlay(m); return;
        case 22: OnNotice(m); return;
        case 23: OnGameOver(m); return;
        case 113: OnWatchVisibility(m); return;
        case 133: OnItems(m); return;
        default: return;
    }
}

void GameMessages::OnChatLine(const Bytes& m) {
    const auto fields = SplitFields(GetTextFromBytes(m, 1));
    if (fields.size() < 10) {
        return;
    }
    std::array<std::string, 8> line;
    std::copy(fields.begin() + 2, fields.begin() + 10, line.begin());
    services_.chat.AddChatLine(line);
}

void GameMessages::SetMyPai(const Bytes& m) {
    if (m.size() < 3) {
        return;
    }
    game_.bteMyPai = CardsAt(m, 3, m[2]);
    game_.udtUser[ViewSeat() & 3].bteCardCount = static_cast<std::uint8_t>(game_.bteMyPai.size());
    services_.view.PaintHand(ViewSeat());
    flow_.ShowGameState();
}

void GameMessages::OnPlayerLeaves(const Bytes& m) {
    if (m.size() < 3) {
        return;
    }
    const std::uint8_t s = m[2];
    const std::string name = s <= 3 ? game_.udtUser[s].strUserName : std::string();
    const std::string text = name + " 不能继续玩下去，原因：" + GetTextFromBytes(m, 3);
    Notice(text, context_.launch.strGameTitle + "系统提示");
    if (s == ViewSeat() && !IsSpectator()) {
        services_.closeMainWindow({TableClosing::Cause::SentAway, text});
    }
}

void GameMessages::OnGameStart(const Bytes& m) {
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
    ResetGameData(game_, true);
    context_.define.blnInGame = 1;
    game_.blnNoDeal = 0;
    if (m.size() != 15) {
        return;
    }
    game_.bteMaxAutoOutTimes = m[3];
    game_.bteDeckCount = m[11];
    game_.blnShowOtherBack = m[12];
    game_.bteLiangTime = m[13];
    game_.bteOutTime = m[14];
    services_.view.RepaintTable();
    if (!IsSpectator()) {
        services_.link.Send(MakeStartAck(ViewSeat()));
    }
}

void GameMessages::OnDeal(const Bytes& m) {
    const std::size_t cards = 13 * std::size_t{game_.bteDeckCount};
    if (cards > kMaxHandCards || m.size() != cards + 2) {
        return;
    }
    game_.bteMyPai = CardsAt(m, 2, cards);
    for (std::uint8_t s = 0; s < 4; ++s) {
        game_.udtUser[s].bteCardCount = static_cast<std::uint8_t>(cards);
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        services_.view.PaintHand(s);
        services_.view.PaintCardCount(s);
    }
    game_.bteGameState = kPhaseShowing;
    flow_.ShowGameState();
    services_.sounds.PlayGameSound(0);
}

void GameMessages::OnShowing(const Bytes& m) {
    if (m.size() != 4) {
        return;
    }
    if (m[1] == 0) {
        const std::uint8_t s = m[2];
        const std::uint8_t answer = m[3];
        if (s <= 3) {
            UserGameInfo& seat = game_.udtUser[s];
            seat.bteLiang = answer;
            seat.bteLiangTimes = static_cast<std::uint8_t>(std::min(seat.bteLiangTimes + 1, 255));
            services_.view.PaintLiangFlag(s);
            if (answer >= 1 && answer <= 3) {
                seat.bteOutPai = answer == 1   ? CardList{kRedTen59}
                                 : answer == 2 ? CardList{kRedTen72}
                                               : CardList{kRedTen59, kRedTen72};
                services_.view.PaintOutPai(s);
            }
            if (seat.bteLiang != 0) {
                services_.sounds.PlayGameSound(1);
            }
        }
        flow_.ShowGameState();
        return;
    }
    // Showing is over: the shown tens stay in view a moment.
    pending_ = Cleanup::ShowingOver;
    const Pause pause = PauseFor(2000);
    if (pause == Pause::Ending) {
        return;
    }
    if (pending_ == Cleanup::ShowingOver) {
        FlushCleanup();
    }
    if (pause == Pause::Overtaken) {
        return;  // the first lead already came
    }
    if (m[2] <= 3) {
        game_.bteCurSeat = m[2];
    }
    game_.bteGameState = m[3];
    flow_.ShowGameState();
}

void GameMessages::OnPlay(const Bytes& m) {
    if (m.size() < 7 || m.size() != std::size_t{m[6]} + 7 || m[5] > 3) {
        return;
    }
    const std::uint8_t s = m[5];
    const CardList cards(m.begin() + 7, m.end());
    const std::size_t n = cards.size();
    UserGameInfo& seat = game_.udtUser[s];

    if (m[2] <= 3) {
        game_.bteCurSeat = m[2];
    }
    game_.bteGameState = m[3];
    seat.bteMingCi = m[4];
    seat.bteOutPai = CardsAt(m, 7, n);
    for (const std::uint8_t card : cards) {
        // Playing a red ten shows it.
        if (card == kRedTen59 && (seat.bteLiang == 0 || seat.bteLiang == 2)) {
            seat.bteLiang += 1;
        } else if (card == kRedTen72 && (seat.bteLiang == 0 || seat.bteLiang == 1)) {
            seat.bteLiang += 2;
        }
    }
    std::uint8_t bombEffect = 0;
    bool overtaken = false;
    if (!cards.empty() && cards[0] == kPassCard) {
        services_.sounds.PlayGameSound(3);
    } else {
        const PaiClass c = GetPaiType(cards);
        if (c.type > kTypeRedTens) {
            seat.bteOutPai.clear();
            flow_.ShowGameState();
        }
        game_.udtMaxOutPai = MaxOutPai{s, c.type, c.main, static_cast<std::uint8_t>(n)};
        if (c.type <= kTypeStraight) {
            services_.sounds.PlayGameSound(2);
        } else if (c.type == kTypeBomb) {
            bombEffect = 1;
            services_.sounds.PlayGameSound(5);
        } else if (c.type == kTypeRedTens) {
            bombEffect = 2;
            services_.sounds.PlayGameSound(4);
        }
        seat.bteCardCount = static_cast<std::uint8_t>(seat.bteCardCount > n ? seat.bteCardCount - n : 0);
        if (s == ViewSeat()) {
            RemoveOutPai(game_.bteMyPai, cards);
            std::fill(game_.bteSelected.begin(), game_.bteSelected.end(), 0);
            services_.view.PaintHand(s);
        }
        // Every seat's count is on show, not just our own.
        services_.view.PaintCardCount(s);
    }

    if (game_.bteGameState == kPhaseLead) {
        // The trick is won: it stays in view a moment, then becomes the
        // previous trick.
        services_.view.PaintOutPai(s);
        pending_ = Cleanup::TrickWon;
        const Pause pause = PauseFor(2000);
        if (pause == Pause::Ending) {
            return;
        }
        if (pending_ == Cleanup::TrickWon) {
            FlushCleanup();
        }
        overtaken = pause == Pause::Overtaken;
    } else {
        services_.view.PaintOutPai(s);
        const std::uint8_t next = game_.bteCurSeat & 3;
        services_.view.ClearSeatPlace(next);
        game_.udtUser[next].bteLastOutPai = game_.udtUser[next].bteOutPai;
        game_.udtUser[next].bteOutPai.clear();
    }
    if (seat.bteMingCi != 0) {
        services_.view.PaintMingCi(s);
    }
    if (seat.bteLiang != 0) {
        services_.view.PaintLiangFlag(s);
    }
    if (bombEffect != 0) {
        services_.view.PlayBomb(s, bombEffect);
    }
    if (!overtaken) {
        flow_.ShowGameState();
    }
}

void GameMessages::OnNotice(const Bytes& m) {
    flow_.StopClock();
    lastNotice_ = GetTextFromBytes(m, 1);
    Notice(lastNotice_, context_.launch.strGameTitle);
    flow_.ShowGameState();
}

void GameMessages::OnGameOver(const Bytes& m) {
    std::array<std::int32_t, 4> scores{};
    flow_.StopClock();
    if (m.size() > 5) {
        std::size_t i = 2;
        if (m[1] == 1) {
            for (std::uint8_t s = 0; s < 4; ++s, i += 4) {
                GetLongFromBytes(scores[s], m, i);
            }
            for (std::uint8_t s = 0; s < 4; ++s) {
                services_.chat.AddSystemLine(game_.udtUser[s].strUserName + "：" +
                                             std::to_string(scores[s]));
            }
        }
        for (std::uint8_t s = 0; s < 4 && i < m.size(); ++s) {
            const std::size_t k = m[i];
            i += 1;
            if (s != ViewSeat()) {
                game_.udtUser[s].bteOpenPai = CardsAt(m, i, k);
            }
            i += k;
        }
        flow_.HideStartAndClock();
        game_.blnShowOtherBack = 1;
        services_.view.RepaintTable();
        game_.bteOutState = {0, 0, 0};
        services_.view.HideOutButtons();
        services_.sounds.PlayGameSound(7);
        services_.view.ShowResult(scores);
        if (IsSpectator() && PauseFor(5000) != Pause::Quiet) {
            return;
        }
    } else {
        Notice("本局游戏结束!", context_.launch.strGameTitle);
    }
    if (IsSpectator()) {
        ResetGameData(game_, true);
    }
    flow_.HideStartAndClock();
    if (IsSpectator()) {
        services_.view.RepaintTable();
    }
    context_.define.blnWaitStart = !IsSpectator();
    flow_.UpdateStartButton();
}

void GameMessages::OnWatchVisibility(const Bytes& m) {
    if (m.size() != 3 || context_.define.blnInGame == 0 || !IsSpectator()) {
        return;
    }
    game_.blnShowMyPai = m[2] != 0 ? 1 : 0;
    if (game_.blnNoDeal == 0) {
        services_.view.PaintHand(ViewSeat());
    }
}

void GameMessages::OnItems(const Bytes& m) {
    if (m.size() < 2) {
        return;
    }
    switch (m[1]) {
        case 0:
            services_.items.SetDaoJuList(GetTextFromBytes(m, 2));
            return;
        case 1:
            services_.items.SetMyDaoJuList(GetTextFromBytes(m, 2));
            return;
        case 2:
            Notice(GetTextFromBytes(m, 2), context_.launch.strGameTitle + "提示");
            return;
        case 3: {
            std::int32_t item = 0;
            if (m.size() < 8 || !GetLongFromBytes(item, m, 4)) {
                return;
            }
            services_.boxes.ShowSystemBox(std::to_string(m[2]) + " 号用户对 " + std::to_string(m[3]) +
                                              " 号用户使用ID号为 " + std::to_string(item) + " 的道具",
                                          "道具演示", SystemBoxIcon::Exclamation);
            return;
        }
        default:
            return;
    }
}

void GameMessages::LoadGameState(const Bytes& m) {
    FlushCleanup();
    ++moves_;
    if (m.size() < 3) {
        return;
    }
    if (m[2] == 0) {
        if (m.size() < 9) {
            return;
        }
        for (std::uint8_t s = 0; s < 4; ++s) {
            game_.udtUser[s].blnReady = m[4 + s] != 0 ? -1 : 0;
        }
        game_.blnShowMyPai = IsSpectator() ? (m[8] != 0 ? 1 : 0) : 1;
        game_.blnNoDeal = -1;
        game_.bteGameState = kPhaseBetweenGames;
        return;
    }
    if (m.size() < 31) {
        return;
    }
    game_.blnShowMyPai = IsSpectator() ? (m[4] != 0 ? 1 : 0) : 1;
    game_.bteDeckCount = m[5];
    game_.blnShowOtherBack = m[6];
    game_.bteLiangTime = m[7];
    game_.bteOutTime = m[8];
    if (m[9] <= 3) {
        game_.bteCurSeat = m[9];
    }
    game_.bteGameState = m[10];
    game_.udtMaxOutPai = MaxOutPai{m[11], m[13], m[12], m[14]};
    for (std::uint8_t s = 0; s < 4; ++s) {
        game_.udtUser[s].bteLiang = m[15 + s];
        game_.udtUser[s].bteLiangTimes = m[19 + s];
        game_.udtUser[s].bteMingCi = m[23 + s];
        game_.udtUser[s].bteCardCount = m[27 + s];
    }
    std::size_t i = 31;
    for (std::uint8_t s = 0; s < 5 && i < m.size(); ++s) {
        const std::size_t k = m[i];
        CardList cards = CardsAt(m, i + 1, k);
        if (s < 4) {
            game_.udtUser[s].bteOutPai = std::move(cards);
        } else {
            game_.bteMyPai = std::move(cards);
        }
        i += 1 + k;
    }
    game_.blnNoDeal = 0;
}

}  // namespace redten
