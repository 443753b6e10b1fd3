#pragma once

#include "game/table_services.h"
#include "game/turn_flow.h"
#include "net/message_handlers.h"
#include "startup/client_context.h"

namespace redten {

// Game messages: the deal, the showing answers, plays, tricks, results and
// the table snapshot. Every index is checked against the message's length
// and every seat against 0..3; codes this handler does not know, and
// messages of the wrong length, are ignored.
class GameMessages final : public GameMessageSink {
public:
    GameMessages(ClientContext& context, TableServices& services, TurnFlow& flow);

    void ExecGameMsg(const Bytes& message) override;
    // The snapshot of room message 109.
    void LoadGameState(const Bytes& message);
    // The room's last notice (message 22): why it closed the link, when it
    // closes one right after.
    const std::string& LastNotice() const { return lastNotice_; }

private:
    void OnChatLine(const Bytes& m);
    void SetMyPai(const Bytes& m);
    void OnPlayerLeaves(const Bytes& m);
    void OnGameStart(const Bytes& m);
    void OnDeal(const Bytes& m);
    void OnShowing(const Bytes& m);
    void OnPlay(const Bytes& m);
    void OnNotice(const Bytes& m);
    void OnGameOver(const Bytes& m);
    void OnWatchVisibility(const Bytes& m);
    void OnItems(const Bytes& m);
    bool IsSpectator() const { return context_.define.blnPangGuan; }
    std::uint8_t ViewSeat() const { return context_.define.bteViewSeat; }
    void Notice(const std::string& text, const std::string& caption);
    // A pause of the game flow. Messages arriving meanwhile are handled
    // inside it; when one of them moved the game on, the state is already
    // newer than what the paused handler would still write.
    enum class Pause { Quiet, Overtaken, Ending };
    Pause PauseFor(std::uint32_t ms);
    // Whether a message moves the game on (and is whole enough to).
    bool MovesTheGame(const Bytes& m) const;
    // The clean-up a pause ends with (showing over, trick won) is due before
    // anything that moves the game on, whichever comes first.
    enum class Cleanup { None, ShowingOver, TrickWon };
    void FlushCleanup();

    ClientContext& context_;
    GameState& game_;
    TableServices& services_;
    TurnFlow& flow_;
    std::uint64_t moves_ = 0;  // messages taken in that move the game on
    Cleanup pending_ = Cleanup::None;
    std::string lastNotice_;
};

}  // namespace redten
