#pragma once

#include <QObject>

#include <optional>

#include "game/game_messages.h"
#include "game/table_services.h"
#include "game/turn_flow.h"
#include "state/message_handlers.h"
#include "wire/messages.h"
#include "state/client_context.h"

namespace redten {

// Room messages: who is at the table, who sits where, who watches, who
// dropped out or came back, who raised a hand, the owner's settings, and
// our own identity. Anything that does not decode is ignored (and logged at
// debug level).
class RoomMessages final : public QObject, public RoomMessageSink {
    Q_OBJECT
public:
    RoomMessages(ClientContext& context, TableServices& services, TurnFlow& flow,
                 GameMessages& game, QObject* parent = nullptr);

    void ExecRoomMsg(const Bytes& message) override;
    // Leaves the table (110, 0, own name).
    void SendLeave();

private:
    bool OnTableMessage(const Bytes& m);  // 130
    void OnSpectatorArrives(const wire::SpectatorArrives& m);
    void OnTableReset(const wire::TableReset& m);
    void OnFullUserList(const wire::FullUserList& m);
    void OnIdentity(const wire::Identity& m);
    void OnUserArrives(const wire::UserArrives& m);
    void OnShowWindow(const wire::ShowWindow& m);
    void OnRoomNotice(const wire::RoomNotice& m);
    void OnUserState(const wire::UserState& m);
    void OnUserLeaves(const wire::UserLeaves& m);
    void OnSettingsState(const wire::SettingsState& m);
    void OnRaisedHand(const wire::RaisedHand& m);
    void OnSnapshot(const Bytes& m);
    void OnUsersLoaded(const std::string& names);
    std::optional<std::uint8_t> SeatOf(const std::string& name) const;

    ClientContext& context_;
    GameState& game_;
    TableServices& services_;
    TurnFlow& flow_;
    GameMessages& gameMessages_;
};

}  // namespace redten
