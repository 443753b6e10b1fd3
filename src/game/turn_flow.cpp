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
            context_.controls.bteOptionState.fill(ButtonState::Shown);
            StartTurnClock(game_.bteCurSeat);
            if (IsOwnTurn()) {
                if (game_.bteMyPai.empty()) {
                    SendGetMyPai();
                } else {
                    // Leading, the only choice is to play.
                    auto& out = context_.controls.bteOutState;
                    out.fill(ButtonState::Shown);
                    if (game_.bteGameState == kPhaseLead) {
                        out[1] = out[2] = ButtonState::Hidden;
                    }
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
    context_.Changed();
}

void TurnFlow::StopClock() {
    services_.clock.Stop();
    services_.clock.Tag = "100";
    context_.Changed();
}

void TurnFlow::OnClockWarning() { services_.sounds.PlayGameSound(GameSound::Warning); }

void TurnFlow::OnClockTick() {
    ++clockTicks_;
    context_.Changed();
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
            SendLiang(ShowingChoice::None);  // not counted: nobody runs away by keeping quiet here
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
            DoUserOut(PlayAction::Pass);
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
        services_.boxes.ShowNotice(prefix + " 次，再出现一次就算你逃跑！", "系统提示", 10);
    } else if (a >= m) {
        const std::string text = prefix + " 次，现在算你逃跑！";
        services_.boxes.ShowNotice(text, "系统提示", 10, [this, text] {
            services_.closeMainWindow({TableClosing::Cause::RanAway, text});
        });
    }
}

// --- the start button -----------------------------------------------------------

void TurnFlow::UpdateStartButton() {
    context_.scene.startCaption = kStartCaption;
    if (IsSpectator()) {
        context_.define.blnWaitStart = false;
    }
    context_.scene.startVisible = context_.define.blnWaitStart;
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
    context_.Changed();
}

void TurnFlow::OnStartTimerTick() {
    if (!startRunning_) {
        return;
    }
    if (context_.scene.startCaption == kStartCaption) {
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
    context_.scene.startCaption = std::string(kStartCaption) + " " + startTag_;
    context_.Changed();
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
            context_.scene.result.reset();
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
            SendLiang(ShowingChoice::None);
            game_.blnWaitLiang = -1;
        }
        return;
    }
    if (CanFollowLiang()) {
        game_.blnWaitLiang = 0;
        game_.bteLiangMode = 1;
        game_.blnFollowLiang = -1;
        ShowLiangPanel();
    } else {
        game_.blnWaitLiang = -1;
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
    auto& buttons = context_.controls.bteLiangState;
    buttons.fill(ButtonState::Hidden);
    if (game_.bteGameState == kPhaseShowing && (game_.bteLiangMode == 1 || game_.bteLiangMode == 2)) {
        std::fill_n(buttons.begin(), game_.bteLiangMode == 1 ? 2 : 3, ButtonState::Shown);
    }
}

void TurnFlow::HideLiangPanel() {
    game_.bteLiangMode = 0;
    game_.blnFollowLiang = 0;
    context_.controls.bteLiangState.fill(ButtonState::Hidden);
}

void TurnFlow::SendLiang(ShowingChoice choice) {
    if (IsSpectator()) {
        return;
    }
    StopClock();
    HideLiangPanel();
    const std::uint8_t held = GetMyHong10(game_);
    std::uint8_t answer = 0;
    switch (choice) {
        case ShowingChoice::None:
            answer = 0;
            break;
        case ShowingChoice::One:
            answer = held == 3 ? 1 : held;
            break;
        case ShowingChoice::All:
            answer = held;
            break;
    }
    services_.link.Send(MakeShowingAnswer(ViewSeat(), answer));
}

// --- the own play -------------------------------------------------------------------

void TurnFlow::HideOutButtons() {
    context_.controls.bteOutState.fill(ButtonState::Hidden);
    context_.Changed();
}

void TurnFlow::SendPlay(const CardList& cards) {
    services_.link.Send(MakePlay(ViewSeat(), cards));
    StopClock();
    HideOutButtons();
}

void TurnFlow::DoUserOut(PlayAction action) {
    if (!IsOwnTurn()) {
        return;
    }
    const bool lead = game_.bteGameState == kPhaseLead;
    if (!lead && game_.bteGameState != kPhaseFollow) {
        return;
    }
    if (lead || action == PlayAction::Play) {
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
    if (action == PlayAction::Pass) {
        game_.hints.lngHintCount = 0;
        SendPlay(CardList{kPassCard});
    } else if (action == PlayAction::Hint && !game_.bteMyPai.empty()) {
        if (PressHint(game_) == HintPress::Pass) {
            SendPlay(CardList{kPassCard});
        } else {
            context_.Changed();
        }
    }
}

}  // namespace redten
