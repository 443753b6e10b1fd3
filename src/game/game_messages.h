#pragma once

#include <functional>

#include "game/table_services.h"
#include "game/turn_flow.h"
#include "state/message_handlers.h"
#include "wire/messages.h"
#include "state/client_context.h"

namespace redten {

// Game messages: the deal, the showing answers, plays, tricks, results and
// the table snapshot. The wire structs have checked every length and count;
// seats are checked against 0..3 here. Codes this handler does not know,
// and messages that do not decode, are ignored (and logged at debug level).
class GameMessages final : public GameMessageSink {
public:
    GameMessages(ClientContext& context, TableServices& services, TurnFlow& flow);

    void ExecGameMsg(const Bytes& message) override;
    // The snapshot of room message 109; one that did not decode still ends
    // whatever the game was doing.
    void LoadGameState(const std::optional<wire::Snapshot>& snapshot);
    void LoadGameState(const Bytes& message) { LoadGameState(wire::Snapshot::Decode(message)); }
    // The room's last notice (message 22): why it closed the link, when it
    // closes one right after.
    const std::string& LastNotice() const { return lastNotice_; }

private:
    void OnChatLine(const wire::ChatLine& m);
    void SetMyPai(const wire::Hand& m);
    void OnPlayerLeaves(const wire::PlayerLeaves& m);
    void OnGameStart(const std::optional<wire::GameStart>& m);
    void OnReady(const wire::Ready& m);
    void OnDeal(const wire::Deal& m);
    void OnShowingAnswer(const wire::ShowingAnswer& m);
    void OnShowingOver(const wire::ShowingOver& m);
    void OnPlay(const wire::Play& m);
    void OnNotice(const wire::GameNotice& m);
    void OnGameOver(const wire::GameOver& m);
    void OnWatchVisibility(const wire::WatchVisibility& m);
    void OnItemText(const wire::ItemText& m);
    void OnItemUsed(const wire::ItemUsed& m);
    // A message that moves the game on: whatever a pause was about to clean
    // up happens first.
    void MoveOn();
    bool IsSpectator() const { return context_.define.blnPangGuan; }
    std::uint8_t ViewSeat() const { return context_.define.bteViewSeat; }
    void Notice(const std::string& text, const std::string& caption, std::function<void()> then = {});
    // Between games: the start button for a player, a clear table for a
    // spectator.
    void AfterGameOver();
    // Runs then after ms, told whether a message moved the game on
    // meanwhile: the state is then newer than what it would still write.
    void AfterPause(std::uint32_t ms, std::function<void(bool overtaken)> then);
    // The clean-up a pause ends with (showing over, trick won) is due before
    // anything that moves the game on, whichever comes first.
    enum class Cleanup { None, ShowingOver, TrickWon };
    void FlushCleanup();
    // What a play shows once its trick has been on view: its seat's marks,
    // the blast, and then the next turn.
    void FinishPlay(std::uint8_t seat, Blast blast, bool overtaken);
    void StartBlast(std::uint8_t seat, Blast blast, bool overtaken);
    void NextBlastFrame(std::uint64_t blastId, bool overtaken);

    ClientContext& context_;
    GameState& game_;
    TableServices& services_;
    TurnFlow& flow_;
    std::uint64_t moves_ = 0;  // messages taken in that move the game on
    Cleanup pending_ = Cleanup::None;
    std::uint64_t blasts_ = 0;  // blasts begun, so a stale frame knows it
    std::string lastNotice_;
    // Each red ten shown while showing doubles the stakes; tens played
    // later show a side but do not count.
    std::int32_t multiplier_ = 1;
};

}  // namespace redten
