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
    // Pauses like WaitTime; false when the rest of the handler must not run:
    // the program is ending, or another game message came during the pause
    // and the state already moved past what this handler would write.
    bool PauseUnlessOvertaken(std::uint32_t ms);

    ClientContext& context_;
    GameState& game_;
    TableServices& services_;
    TurnFlow& flow_;
    std::uint64_t moves_ = 0;  // messages taken in that move the game on
};

}  // namespace redten
