#pragma once

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <string>

#include "game/table_services.h"
#include "state/client_context.h"

namespace redten {

enum class ShowingChoice { None, One, All };
enum class PlayAction { Play = 0, Pass = 1, Hint = 2 };

// Keeps the table in step with the phase between game messages: the turn
// clock for the seat to act, the own play buttons, acting for the player
// when the clock runs out (and counting that as running away when it
// happens too often), the start button with its count-down, and the red-ten
// showing question.
class TurnFlow final : public QObject {
    Q_OBJECT
public:
    // A start timer that does not tick by itself is moved on with
    // OnStartTimerTick (tests).
    TurnFlow(ClientContext& context, TableServices& services, bool startTimerTicksByItself = true);
    // How long a second of the start count-down is (tests run it fast).
    void SetSecondMs(int ms) { tmrStart.setInterval(ms); }

    void ShowGameState();
    void StartTurnClock(std::uint8_t seat);
    void StopClock();
    void CountAutoOut();
    void UpdateStartButton();
    void HideStartAndClock();
    void SendGetMyPai();
    void OnStartTimerTick();
    void OnStartClicked();

    // The showing question: show no ten, one, or all the tens held.
    void SendLiang(ShowingChoice choice);
    bool CanFollowLiang() const;
    void ShowLiangPanel();
    void HideLiangPanel();

    // The own play: the selection, a pass, or the next hint.
    void DoUserOut(PlayAction action);

    const std::string& StartCaption() const { return context_.scene.startCaption; }
    bool StartVisible() const { return context_.scene.startVisible; }
    bool StartTimerRunning() const { return startRunning_; }
    const std::string& StartTag() const { return startTag_; }
    std::int32_t ClockTicks() const { return clockTicks_; }

private:
    void OnClockWarning();
    void OnClockTick();
    void OnClockTimeOut();
    void ShowLiangState();
    void HideOutButtons();
    void SendPlay(const CardList& cards);
    bool IsSpectator() const { return context_.define.blnPangGuan; }
    std::uint8_t ViewSeat() const { return context_.define.bteViewSeat; }
    bool IsOwnTurn() const;

    ClientContext& context_;
    GameState& game_;
    TableServices& services_;
    QTimer tmrStart;
    bool startTicksByItself_;
    bool startRunning_ = false;
    std::string startTag_ = "20";
    std::int32_t clockTicks_ = 0;
};

}  // namespace redten
