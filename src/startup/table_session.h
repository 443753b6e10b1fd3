#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "components/chat_log.h"
#include "components/ro_clock.h"
#include "components/room_link.h"
#include "components/timed_beats.h"
#include "components/user_list_model.h"
#include "game/game_messages.h"
#include "game/game_set_dialog.h"
#include "game/hand_interaction.h"
#include "game/room_messages.h"
#include "game/sounds.h"
#include "game/table_services.h"
#include "game/turn_flow.h"
#include "items/dao_ju.h"
#include "net/connection.h"
#include "shell/message_box.h"
#include "state/client_context.h"

namespace redten {

// One table's life, apart from the window that shows it: the link to the
// room, the message handlers and the turn flow, the own hand under the
// mouse, the message boxes, the table settings dialog, the sounds and the
// items. A window draws its state and hands it the mouse; without a window
// it runs all the same and draws nothing. It must outlive the window.
class TableSession final : public QObject {
    Q_OBJECT
public:
    TableSession(ClientContext& context, std::unique_ptr<RoomLink> link);
    ~TableSession() override;

    // Whether the table can be seen right now: nothing plays while it cannot.
    void SetWindowShown(std::function<bool()> shown) { windowShown_ = std::move(shown); }

    // The user list's and the chat's set-up and the personal settings; once,
    // before the link opens.
    void Load();
    // Opens the link to the room; returns at once.
    void ConnectRoomServer();
    // Says goodbye to the room and starts the table's state afresh; runs
    // once, later calls do nothing.
    void Unload();

    bool IsUnloading() const { return unloading_; }
    // Why the table closed by itself; empty when the person closed it.
    const std::optional<TableClosing>& Closing() const { return closing_; }
    // Runs every clock of the table with seconds this long (tests).
    void SetSecondMs(int ms);

    ClientContext& Context() { return context_; }
    MessageSender& Sender() { return *link_; }
    RoomConnection& Connection() { return connection_; }
    TurnFlow& Flow() { return flow_; }
    HandInteraction& Hand() { return hand_; }
    MessageBoxPool& Boxes() { return boxes_; }
    GameSetWindows& GameSet() { return gameSet_; }
    UserListModel& Users() { return users_; }
    ChatLog& Chat() { return chat_; }
    const RoClock& Clock() const { return clock_; }
    const DaoJuLists& Items() const { return items_; }
    // Where the personal settings are kept (known after Load).
    const std::string& UserSetPath() const { return userSetPath_; }

signals:
    // Unload is done; the program may end.
    void Unloaded();
    // The table closed by itself (Closing says why): its window goes.
    void Closed();
    // The flow shows or hides the table.
    void ShowRequested(bool show);

private:
    void CloseBySelf(const TableClosing& why);

    ClientContext& context_;
    std::unique_ptr<RoomLink> link_;
    TimedBeats beats_;
    // The components and stand-ins the game flow acts through.
    UserListModel users_;
    ChatLog chat_;
    RoClock clock_;
    std::function<bool()> windowShown_;
    TableSounds sounds_;
    DaoJuLists items_;
    MessageBoxPool boxes_;
    GameSetWindows gameSet_;
    TableServices services_;
    // The handlers act through the flow: each is built after what it uses.
    TurnFlow flow_;
    GameMessages gameMessages_;
    RoomMessages roomMessages_;
    HandInteraction hand_;
    RoomConnection connection_;
    std::string userSetPath_;
    bool loaded_ = false;
    bool unloading_ = false;
    std::optional<TableClosing> closing_;
};

}  // namespace redten
