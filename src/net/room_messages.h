#pragma once

#include <QObject>

#include <optional>

#include "game/game_messages.h"
#include "game/table_services.h"
#include "game/turn_flow.h"
#include "net/message_handlers.h"
#include "startup/client_context.h"

namespace redten {

// Room messages: who is at the table, who sits where, who watches, who
// dropped out or came back, who raised a hand, the owner's settings, and
// our own identity. Anything malformed is ignored without a trace.
class RoomMessages final : public QObject, public RoomMessageSink {
    Q_OBJECT
public:
    RoomMessages(ClientContext& context, TableServices& services, TurnFlow& flow,
                 GameMessages& game, QObject* parent = nullptr);

    void ExecRoomMsg(const Bytes& message) override;
    // Leaves the table (110, 0, own name).
    void SendLeave();

private:
    void OnTableMessage(const Bytes& m);   // 130
    void OnUserState(const Bytes& m);      // 108
    void OnUserLeaves(const Bytes& m);     // 110
    void OnSettingsState(const Bytes& m);  // 111
    void OnRaisedHand(const Bytes& m);     // 112
    void OnSnapshot(const Bytes& m);       // 109
    void OnUsersLoaded(const std::string& names);
    std::optional<std::uint8_t> SeatOf(const std::string& name) const;

    ClientContext& context_;
    GameState& game_;
    TableServices& services_;
    TurnFlow& flow_;
    GameMessages& gameMessages_;
};

}  // namespace redten
