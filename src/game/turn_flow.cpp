#include "game/turn_flow.h"

#include <algorithm>

#include "rules/hint.h"
#include "rules/pai_type.h"
#include "wire/client_messages.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

constexpr int kClockWarningSeconds = 5;
constexpr char kStartCaption[] = "可以开始";

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

}  // namespace

TurnFlow::TurnFlow(ClientContext& context, TableServices& services, bool startTimerTicksByItself)
    : context_(context),
      game_(context.game),
      services_(services),
      startTicksByItself_(startTimerTicksByItself) {
    tmrStart.setInterval(1000);
    connect(&tmrStart, &QTimer::timeout, this, &TurnFlow::OnStartTimerTick);
    connect(&services_.clock, &RoClock::Warning, this, &TurnFlow::OnClockWarning);
    connect(&services_.clock, &RoClock::Tick, this, &TurnFlow::OnClockTick);
    connect(&services_.clock, &RoClock::TimeOut, this, &TurnFlow::OnClockTimeOut);
}

bool TurnFlow::IsOwnTurn() const {
    return !IsSpectator() && game_.bteCurSeat == ViewSeat();
}

// --- phases -------------------------------------------------------------------

void TurnFlow::ShowGameState() {
    switch (game_.bteGameState) {
        case kPhaseShowing:
            ShowLiangState();
            return;
        case kPhaseLead:
        case kPhaseFollow:
            context_.controls.bteOptionState = {1, 1};
            services_.view.PaintOptionButtons();
            StartTurnClock(game_.bteCurSeat);
            if (IsOwnTurn()) {
                if (game_.bteMyPai.empty()) {
                    SendGetMyPai();
                } else {
                    context_.controls.bteOutState = game_.bteGameState == kPhaseLead
                                            ? std::array<std::uint8_t, 3>{1, 0, 0}
                                            : std::array<std::uint8_t, 3>{1, 1, 1};
                    services_.view.ShowOutButtons();
                }
            }
            return;
        case kPhaseBetweenGames:
            context_.define.blnWaitStart = false;
            UpdateStartButton();
            if (!IsSpectator() && game_.udtUser[ViewSeat() & 3].blnReady == 0) {
                context_.define.blnWaitStart = true;
                UpdateStartButton();
            }
            return;
        default:
            return;
    }
}

// --- the turn clock -----------------------------------------------------------

void TurnFlow::StartTurnClock(std::uint8_t seat) {
    if (seat > 3) {
        return;
    }
    StopClock();
    if (game_.bteGameState == kPhaseNone) {
        return;
    }
    services_.clock.Tag = std::to_string(seat);
    const int limit = game_.bteGameState == kPhaseShowing ? game_.bteLiangTime : game_.bteOutTime;
    clockTicks_ = 0;
    services_.clock.Start(limit, kClockWarningSeconds);
    // The clock shows its full time at once, not only with the first tick a
    // second later.
    services_.view.PaintClock();
}

void TurnFlow::StopClock() {
    services_.clock.Stop();
    services_.view.EraseClock();
    services_.clock.Tag = "100";
}

void TurnFlow::OnClockWarning() { services_.sounds.PlayGameSound(6); }

void TurnFlow::OnClockTick() {
    ++clockTicks_;
    services_.view.PaintClock();
}

void TurnFlow::OnClockTimeOut() {
    const double seat = TextValue(services_.clock.Tag);
    StopClock();
    game_.hints.lngHintCount = 0;
    if (seat < 0 || seat > 3 || static_cast<std::uint8_t>(seat) != ViewSeat() || IsSpectator()) {
        return;
    }
    switch (game_.bteGameState) {
        case kPhaseShowing:
            SendLiang(0);  // not counted: nobody runs away by keeping quiet here
            return;
        case kPhaseLead:
            // The last card of the hand as it lies: the lowest when sorted.
            if (!game_.bteMyPai.empty()) {
                services_.link.Send(MakePlay(ViewSeat(), CardList{game_.bteMyPai.back()}));
            }
            HideOutButtons();
            CountAutoOut();
            return;
        case kPhaseFollow:
            DoUserOut(1);
            CountAutoOut();
            return;
        default:
            return;
    }
}

void TurnFlow::CountAutoOut() {
    if (game_.bteAutoOutTimes < 255) {
        ++game_.bteAutoOutTimes;
    }
    const int a = game_.bteAutoOutTimes;
    const int m = game_.bteMaxAutoOutTimes;
    const std::string prefix = "注意：系统帮你自动出牌的次数累计已达 " + std::to_string(a);
    if (m == a + 1) {
        services_.boxes.ShowGlobalMsg(0, 1, prefix + " 次，再出现一次就算你逃跑！", "系统提示", 10,
                                      "确定", "", true);
    } else if (a >= m) {
        const std::string text = prefix + " 次，现在算你逃跑！";
        services_.boxes.ShowGlobalMsg(0, 1, text, "系统提示", 10, "确定", "", true);
        services_.closeMainWindow({TableClosing::Cause::RanAway, text});
    }
}

// --- the start button -----------------------------------------------------------

void TurnFlow::UpdateStartButton() {
    startCaption_ = kStartCaption;
    if (IsSpectator()) {
        context_.define.blnWaitStart = false;
    }
    startVisible_ = context_.define.blnWaitStart;
    if (context_.define.blnWaitStart && !startRunning_) {
        startTag_ = "20";
    }
    startRunning_ = context_.define.blnWaitStart;
    if (startTicksByItself_) {
        if (startRunning_ && !tmrStart.isActive()) {
            tmrStart.start();
        } else if (!startRunning_) {
            tmrStart.stop();
        }
    }
    services_.view.UpdateStartButton(startVisible_, startCaption_);
}

void TurnFlow::OnStartTimerTick() {
    if (!startRunning_) {
        return;
    }
    if (startCaption_ == kStartCaption) {
        const bool someoneReady =
            std::any_of(game_.udtUser.begin(), game_.udtUser.end(), [](const UserGameInfo& u) {
                return !Trim(u.strUserName).empty() && u.blnReady == -1;
            });
        if (!someoneReady) {
            return;
        }
    }
    const long n = static_cast<long>(TextValue(startTag_)) - 1;
    startTag_ = std::to_string(n);
    startCaption_ = std::string(kStartCaption) + " " + startTag_;
    services_.view.UpdateStartButton(startVisible_, startCaption_);
    if (n <= 0) {
        startRunning_ = false;
        tmrStart.stop();
        services_.closeMainWindow(
            {TableClosing::Cause::Countdown, "倒计时结束了，你没有按“可以开始”，已经离开了本桌。"});
    }
}

void TurnFlow::OnStartClicked() {
    if (context_.define.blnInGame != 0) {
        if (!IsSpectator()) {
            ResetGameData(context_, false);
            HideStartAndClock();
            services_.view.RepaintTable();
            services_.link.Send(MakeReadyInGame(ViewSeat()));
        }
    } else if (!context_.launch.strMyName.empty()) {
        services_.link.Send(MakeRaiseHand(context_.launch.strMyName));
    }
    context_.define.blnWaitStart = false;
    UpdateStartButton();
}

void TurnFlow::HideStartAndClock() {
    StopClock();
    context_.define.blnWaitStart = false;
    UpdateStartButton();
}

void TurnFlow::SendGetMyPai() { services_.link.Send(MakeHandRequest(ViewSeat())); }

// --- the red-ten question ---------------------------------------------------------

void TurnFlow::ShowLiangState() {
    if (IsSpectator()) {
        game_.blnWaitLiang = -1;
        services_.view.ShowWaitNotice();
        return;
    }
    const UserGameInfo& me = game_.udtUser[ViewSeat() & 3];
    if (me.bteLiang == 4) {
        const std::uint8_t held = GetMyHong10(game_);
        if (held != 0) {
            StartTurnClock(ViewSeat());
            game_.bteLiangMode = held == 3 ? 2 : 1;
            ShowLiangPanel();
        } else {
            SendLiang(0);
            game_.blnWaitLiang = -1;
            services_.view.ShowWaitNotice();
        }
        return;
    }
    if (CanFollowLiang()) {
        game_.blnWaitLiang = 0;
        services_.view.RepaintOutArea(false);
        game_.bteLiangMode = 1;
        game_.blnFollowLiang = -1;
        ShowLiangPanel();
    } else {
        game_.blnWaitLiang = -1;
        services_.view.ShowWaitNotice();
    }
}

bool TurnFlow::CanFollowLiang() const {
    const std::uint8_t held = GetMyHong10(game_);
    const std::uint8_t me = ViewSeat() & 3;
    if ((held != 1 && held != 2) || game_.udtUser[me].bteLiang != 0 ||
        game_.udtUser[me].bteLiangTimes != 1) {
        return false;
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (s != me && (game_.udtUser[s].bteLiang == 1 || game_.udtUser[s].bteLiang == 2)) {
            return true;
        }
    }
    return false;
}

void TurnFlow::ShowLiangPanel() {
    context_.controls.bteLiangState = {0, 0, 0};
    if (game_.bteGameState == kPhaseShowing && (game_.bteLiangMode == 1 || game_.bteLiangMode == 2)) {
        const int shown = game_.bteLiangMode == 1 ? 2 : 3;
        for (int i = 0; i < shown; ++i) {
            context_.controls.bteLiangState[i] = 1;
        }
        services_.view.ShowLiangPanel();
    }
}

void TurnFlow::HideLiangPanel() {
    game_.bteLiangMode = 0;
    game_.blnFollowLiang = 0;
    context_.controls.bteLiangState = {0, 0, 0};
    services_.view.HideLiangPanel();
}

void TurnFlow::SendLiang(std::uint8_t kind) {
    if (IsSpectator()) {
        return;
    }
    StopClock();
    HideLiangPanel();
    const std::uint8_t held = GetMyHong10(game_);
    std::uint8_t answer = 0;
    switch (kind) {
        case 0:
            answer = 0;
            break;
        case 1:
            answer = held == 3 ? 1 : held;
            break;
        case 2:
            answer = held;
            break;
        default:
            return;
    }
    services_.link.Send(MakeShowingAnswer(ViewSeat(), answer));
}

// --- the own play -------------------------------------------------------------------

void TurnFlow::HideOutButtons() {
    context_.controls.bteOutState = {0, 0, 0};
    services_.view.HideOutButtons();
}

void TurnFlow::SendPlay(const CardList& cards) {
    services_.link.Send(MakePlay(ViewSeat(), cards));
    StopClock();
    HideOutButtons();
}

void TurnFlow::DoUserOut(std::uint8_t action) {
    if (!IsOwnTurn()) {
        return;
    }
    const bool lead = game_.bteGameState == kPhaseLead;
    if (!lead && game_.bteGameState != kPhaseFollow) {
        return;
    }
    if (lead || action == 0) {
        game_.hints.lngHintCount = 0;
        CardList selected;
        for (std::size_t i = 0; i < game_.bteMyPai.size() && i < game_.bteSelected.size(); ++i) {
            if (game_.bteSelected[i] == 1) {
                selected.push_back(game_.bteMyPai[i]);
            }
        }
        if (selected.empty()) {
            return;
        }
        const PlayCheck check =
            lead ? CheckFirstOutPai(selected) : CheckFollowOutPai(selected, game_.udtMaxOutPai);
        if (!check.ok) {
            services_.boxes.ShowSystemBox(check.message, context_.launch.strGameTitle,
                                          SystemBoxIcon::Exclamation);
            return;
        }
        SendPlay(selected);
        return;
    }
    if (action == 1) {
        game_.hints.lngHintCount = 0;
        SendPlay(CardList{kPassCard});
    } else if (action == 2 && !game_.bteMyPai.empty()) {
        if (PressHint(game_) == HintPress::Pass) {
            SendPlay(CardList{kPassCard});
        } else {
            services_.view.PaintHand(ViewSeat());
        }
    }
}

}  // namespace redten
